// Figures for the link monitor in the whole program: the main window on
// Qt's offscreen platform, both panels open on pseudo-terminal lines fed from
// their far ends, the monitor's window open in hex with frame gaps and
// saving a pcapng file as it runs.
//   - both lines at 92,160 bytes/s each: bytes lost by the panels, by the
//     monitor's record (every byte, in order, per port) and by the file
//     (packets and payload bytes per interface, read back by tshark); CPU;
//   - Modbus RTU at 115200 baud, 100 request/response pairs a second between
//     the two ports: frames decoded right, and each response time against
//     the far ends' own (their writes' moments).
// Not a test: run it by hand.
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "Checksums.h"
#include "ModbusRtu.h"
#include "PanelLinkMonitor.h"
#include "app_bench/bench_window.h"
#include "app_bench/measures.h"
#include "app_bench/runs.h"

namespace {

const double kRate = 92160;
const double kLoadSeconds = 10;
const int kPairs = 500;  // 5 s at 100 a second

void OnWindow(const Lines& lines, const std::function<void()>& call) {
  WatchedForm::RunOnWindowThread(lines.form->Handle, call);
}

std::string Output(const std::string& command) {
  std::string output;
  FILE* pipe = popen((command + " 2>/dev/null").c_str(), "r");
  if (!pipe) return output;
  char buffer[4096];
  for (size_t count; (count = fread(buffer, 1, sizeof buffer, pipe)) > 0;) output.append(buffer, count);
  pclose(pipe);
  return output;
}

// Lets the record take in the last deliveries (its hold and a margin).
void Settle() { std::this_thread::sleep_for(std::chrono::milliseconds(1500)); }

void RunBothLines(const Lines& lines, const std::string& capture) {
  uint64_t starts[2] = {lines.ends[0]->Written(), lines.ends[1]->Written()};
  ULONGLONG firstSequence = 0;
  OnWindow(lines, [&] {
    lines.form->Panels[0]->Find<PanelLinkMonitor>()->Monitor.Show();
    lines.form->Panels[0]->Find<PanelLinkMonitor>()->Monitor.SaveTo(capture.c_str());
    firstSequence = lines.form->Panels[0]->Find<PanelLinkMonitor>()->Monitor.Record().NextSequence();
  });
  const LoadResult load = RunLoad(lines, kRate, kLoadSeconds);
  Settle();
  uint64_t recorded[2] = {0, 0}, wrong[2] = {0, 0}, frames = 0;
  OnWindow(lines, [&] {
    for (const LinkFrame& frame : lines.form->Panels[0]->Find<PanelLinkMonitor>()->Monitor.Record().Frames()) {
      if (frame.Sequence < firstSequence || frame.Sent) continue;
      ++frames;
      for (const char byte : frame.Bytes)
        if (byte != PatternByte(starts[frame.Port] + recorded[frame.Port]++)) ++wrong[frame.Port];
    }
  });
  std::printf("Both lines at %.0f B/s each for %.0f s, monitor in hex with frame gaps, saving pcapng:\n", kRate,
              kLoadSeconds);
  std::printf("  lines took %llu bytes, lost %llu when due; panels lossless: %s (R: %llu, shown %llu)\n",
              static_cast<unsigned long long>(load.taken), static_cast<unsigned long long>(load.lost),
              load.Lossless() ? "yes" : "NO", static_cast<unsigned long long>(load.counted),
              static_cast<unsigned long long>(load.shown));
  std::printf("  monitor record: %llu + %llu bytes in %llu frames, %llu + %llu out of order or wrong\n",
              static_cast<unsigned long long>(recorded[0]), static_cast<unsigned long long>(recorded[1]),
              static_cast<unsigned long long>(frames), static_cast<unsigned long long>(wrong[0]),
              static_cast<unsigned long long>(wrong[1]));
  std::printf("  CPU: program %.1f%% of a core (window thread %.1f%%)\n", load.cpu.programPercent,
              load.cpu.windowPercent);
  if (std::system("command -v tshark >/dev/null 2>&1") != 0) {
    std::printf("  pcapng: not read back (tshark is not installed)\n");
    return;
  }
  const std::string sums = Output("tshark -r " + capture +
                                  " -T fields -e frame.interface_name -e frame.cap_len | awk '{n[$1]++; b[$1]+=$2-12}"
                                  " END {for (i in n) printf \"%s %d packets %d bytes; \", i, n[i], b[i]}'");
  std::printf("  pcapng (read by tshark): %s\n", sums.c_str());
}

// Request i: read two holding registers from address i % 100 of unit 1.
std::string Request(int i) {
  return WithChecksum(Checksum::Modbus, std::string{1, 3, 0, static_cast<char>(i % 100), 0, 2});
}
std::string Response(int i) {
  return WithChecksum(Checksum::Modbus, std::string{1, 3, 4, 0, static_cast<char>(i % 100), 0, 7});
}

// The far ends' exchange: request i from `asking`'s far end, its response
// 2 to 5 ms later from `answering`'s. Returns each response time as the far
// ends took it (between their writes), in ms.
std::vector<double> ExchangePairs(serial_lines::FarEnd& asking, serial_lines::FarEnd& answering) {
  std::vector<double> farTimes;
  Clock::time_point next = Clock::now();
  for (int i = 0; i < kPairs; ++i) {
    // A pair that is late starts 5 ms after the last answer rather than at
    // once: two requests back to back would be one frame on the line.
    std::this_thread::sleep_until(std::max(next, Clock::now() + std::chrono::milliseconds(5)));
    next += std::chrono::milliseconds(10);
    const Clock::time_point asked = Clock::now();
    asking.Send(Request(i));
    std::this_thread::sleep_until(asked + std::chrono::microseconds(2000 + (i * 37) % 3000));
    const Clock::time_point answered = Clock::now();
    answering.Send(Response(i));
    farTimes.push_back(std::chrono::duration<double, std::milli>(answered - asked).count());
  }
  return farTimes;
}

void PrintResponseTimes(const char* who, const std::vector<double>& differences) {
  const Spread spread = SpreadOf(differences);
  const auto within = std::count_if(differences.begin(), differences.end(), [](double d) { return d <= 1.0; });
  std::printf("  %s: %d of %zu within 1 ms; |difference| median %.3f ms, p99 %.3f ms, max %.3f ms\n", who,
              static_cast<int>(within), differences.size(), spread.median, spread.p99, spread.max);
}

// The same exchange read by the least a reader can do: one thread polling
// both lines' terminals (raw) and taking the clock as each read returns, in
// the benchmark's process, with the window idle. How close its response
// times come is what the pseudo-terminals and the scheduler allow.
void RunBareReader() {
  serial_lines::FarEnd asking, answering;
  for (const int terminal : {asking.Terminal(), answering.Terminal()}) {
    termios raw = {};
    ::tcgetattr(terminal, &raw);
    ::cfmakeraw(&raw);
    raw.c_cc[VMIN] = 0;
    raw.c_cc[VTIME] = 0;
    ::tcsetattr(terminal, TCSANOW, &raw);
  }
  std::atomic<bool> stop{false};
  // Per line, the moments its frames began: a read after 1 ms of quiet.
  std::vector<Clock::time_point> starts[2];
  std::thread reader([&] {
    pollfd fds[2] = {{asking.Terminal(), POLLIN, 0}, {answering.Terminal(), POLLIN, 0}};
    Clock::time_point last[2] = {};
    char buffer[256];
    while (!stop) {
      if (::poll(fds, 2, 50) <= 0) continue;
      const Clock::time_point now = Clock::now();
      for (int line = 0; line < 2; ++line) {
        if (!(fds[line].revents & POLLIN) || ::read(fds[line].fd, buffer, sizeof buffer) <= 0) continue;
        if (now - last[line] > std::chrono::milliseconds(1)) starts[line].push_back(now);
        last[line] = now;
      }
    }
  });
  const std::vector<double> farTimes = ExchangePairs(asking, answering);
  std::this_thread::sleep_for(std::chrono::milliseconds(200));
  stop = true;
  reader.join();
  std::vector<double> differences;
  if (starts[0].size() == farTimes.size() && starts[1].size() == farTimes.size())
    for (size_t i = 0; i < farTimes.size(); ++i)
      differences.push_back(
          std::fabs(std::chrono::duration<double, std::milli>(starts[1][i] - starts[0][i]).count() - farTimes[i]));
  if (differences.empty())
    std::printf("  a bare reader (poll on both lines, one thread): frames not told apart (%zu and %zu)\n",
                starts[0].size(), starts[1].size());
  else
    PrintResponseTimes("a bare reader (poll on both lines, one thread), same run", differences);
}

void RunModbus(const Lines& lines) {
  ULONGLONG firstSequence = 0;
  OnWindow(lines,
           [&] { firstSequence = lines.form->Panels[0]->Find<PanelLinkMonitor>()->Monitor.Record().NextSequence(); });
  const std::vector<double> farTimes = ExchangePairs(*lines.ends[0], *lines.ends[1]);
  Settle();
  int requests = 0, responses = 0, bad = 0, paired = 0;
  std::vector<double> differences;
  OnWindow(lines, [&] {
    ModbusDecoder decoder;
    for (const LinkFrame& frame : lines.form->Panels[0]->Find<PanelLinkMonitor>()->Monitor.Record().Frames()) {
      if (frame.Sequence < firstSequence || frame.Sent) continue;
      const ModbusRow row = decoder.Decode(frame);
      if (row.Bad) ++bad;
      if (!row.Response) {
        ++requests;
        continue;
      }
      ++responses;
      if (!row.ResponseTime || responses > static_cast<int>(farTimes.size())) continue;
      ++paired;
      const double difference = static_cast<double>(*row.ResponseTime) / kIntervalsPerMs - farTimes[responses - 1];
      differences.push_back(std::fabs(difference));
    }
  });
  std::printf("Modbus RTU at 115200 baud, %d pairs at 100 a second:\n", kPairs);
  std::printf("  frames: %d requests, %d responses (%d paired with their request), %d marked bad\n", requests,
              responses, paired, bad);
  std::printf("  response time against the far ends':\n");
  PrintResponseTimes("the monitor", differences);
  RunBareReader();
}

}  // namespace

int main() {
  const std::string capture =
      (std::filesystem::temp_directory_path() / ("kestrix-monitor-bench-" + std::to_string(getpid()) + ".pcapng"))
          .string();
  std::printf("%s\nload average before: %s\n", MachineDescription().c_str(), LoadAverage().c_str());
  std::string error;
  RunWithWindow([] {},
                [&](const Lines& lines) {
                  error = OpenBothPanels(*lines.form, "921600");
                  if (!error.empty()) return;
                  RunBothLines(lines, capture);
                  error = CloseBothPanels(*lines.form);
                  if (error.empty()) error = OpenBothPanels(*lines.form, "115200");
                  if (error.empty()) RunModbus(lines);
                });
  std::printf("load average after: %s\n", LoadAverage().c_str());
  if (!error.empty()) std::printf("error: %s\n", error.c_str());
  std::filesystem::remove(capture);
  std::fflush(stdout);
  return error.empty() ? 0 : 1;
}
