// The far ends' writer as a program of its own, as a device simulator or a
// second program feeding a line is: it writes the byte pattern into the
// pseudo-terminal masters it inherits, at a rate, a write every step, as real
// lines deliver (what a line does not take when due is refused, not sent
// later), and prints what each line took and refused.
//
//   app_bench_feeder RATE SECONDS STEP_MS FD:START [FD:START]
//
// RATE is bytes a second per line, START the pattern position the line's
// next byte has. Prints "fed <taken> <refused>" a line, in order, then
// "late <microseconds>": the longest this process itself was late for a
// write (a feeder the machine held up is no fault of the reader's).
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <thread>
#include <vector>

#include "byte_pattern.h"

namespace {

struct Line {
  int fd;
  uint64_t position;
  uint64_t taken = 0;
  uint64_t refused = 0;
};

// Writes `count` pattern bytes as far as the line takes them now.
uint64_t WriteNow(Line& line, uint64_t count) {
  char chunk[4096];
  uint64_t done = 0;
  while (done < count) {
    const size_t size = static_cast<size_t>(std::min<uint64_t>(sizeof chunk, count - done));
    for (size_t i = 0; i < size; ++i) chunk[i] = PatternByte(line.position + i);
    const ssize_t written = ::write(line.fd, chunk, size);
    if (written <= 0) break;
    line.position += static_cast<uint64_t>(written);
    done += static_cast<uint64_t>(written);
    if (static_cast<size_t>(written) < size) break;
  }
  return done;
}

bool ParseLine(const char* text, Line& line) {
  char* end = nullptr;
  const long fd = std::strtol(text, &end, 10);
  if (end == text || *end != ':' || fd < 0) return false;
  const char* start = end + 1;
  line.position = std::strtoull(start, &end, 10);
  line.fd = static_cast<int>(fd);
  return end != start && *end == '\0';
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 5) {
    std::fprintf(stderr, "usage: app_bench_feeder RATE SECONDS STEP_MS FD:START [FD:START]\n");
    return 2;
  }
  const double rate = std::atof(argv[1]);
  const double seconds = std::atof(argv[2]);
  const double stepMs = std::atof(argv[3]);
  std::vector<Line> lines;
  for (int i = 4; i < argc; ++i) {
    Line line{};
    if (!ParseLine(argv[i], line)) {
      std::fprintf(stderr, "app_bench_feeder: bad line '%s'\n", argv[i]);
      return 2;
    }
    lines.push_back(line);
  }
  if (rate <= 0 || seconds <= 0 || stepMs <= 0) return 2;

  const auto step = std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double, std::milli>(stepMs));
  const auto length = std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(seconds));
  const Clock::time_point start = Clock::now();
  uint64_t offered = 0;
  Clock::duration late{0};
  for (Clock::time_point next = start + step;; next += step) {
    std::this_thread::sleep_until(next);
    late = std::max(late, Clock::now() - next);
    const Clock::duration elapsed = std::min(Clock::now() - start, length);
    const auto due = static_cast<uint64_t>(rate * std::chrono::duration<double>(elapsed).count());
    for (Line& line : lines) {
      const uint64_t taken = WriteNow(line, due - offered);
      line.taken += taken;
      line.refused += due - offered - taken;
    }
    offered = due;
    if (elapsed >= length) break;
  }
  for (const Line& line : lines)
    std::printf("fed %llu %llu\n", static_cast<unsigned long long>(line.taken),
                static_cast<unsigned long long>(line.refused));
  std::printf("late %lld\n",
              static_cast<long long>(std::chrono::duration_cast<std::chrono::microseconds>(late).count()));
  return 0;
}
