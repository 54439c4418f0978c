#include "runs.h"

#include <algorithm>
#include <random>
#include <thread>

namespace {

using std::chrono::milliseconds;

const milliseconds kPacingStep{10};
const milliseconds kDrainTimeout{10000};

double Milliseconds(Clock::duration span) { return std::chrono::duration<double, std::milli>(span).count(); }

bool AllShown(const Lines& lines) {
  for (int i = 0; i < 2; ++i)
    if (lines.form->Watch[i].shown < lines.ends[i]->Written()) return false;
  return true;
}

bool WaitUntilAllShown(const Lines& lines, milliseconds timeout) {
  const Clock::time_point deadline = Clock::now() + timeout;
  while (!AllShown(lines)) {
    if (Clock::now() > deadline) return false;
    std::this_thread::sleep_for(milliseconds(1));
  }
  return true;
}

// From each write to the first block that showed its first byte.
void AddLatencies(const std::vector<serial_lines::WriteRecord>& writes, const std::vector<ShownRecord>& shown,
                  std::vector<double>& latencies) {
  auto block = shown.begin();
  for (const serial_lines::WriteRecord& write : writes) {
    while (block != shown.end() && block->end <= write.position) ++block;
    if (block == shown.end()) return;
    latencies.push_back(Milliseconds(block->time - write.time));
  }
}

Spread LatenciesSince(const Lines& lines, const std::array<uint64_t, 2>& from) {
  std::vector<double> latencies;
  for (int i = 0; i < 2; ++i)
    AddLatencies(lines.ends[i]->Writes(from[i], lines.ends[i]->Written()), lines.form->Watch[i].Log(from[i]),
                 latencies);
  return SpreadOf(std::move(latencies));
}

std::array<uint64_t, 2> WrittenSoFar(const Lines& lines) {
  return {lines.ends[0]->Written(), lines.ends[1]->Written()};
}

}  // namespace

CpuMeter::CpuMeter(const WatchedForm& form)
    : form_(form),
      process_(ProcessCpuSeconds()),
      thread_(ThreadCpuSeconds()),
      window_(WindowThreadCpuSeconds()),
      checks_(form.CheckNanoseconds()),
      start_(Clock::now()) {}

CpuShare CpuMeter::Share() const {
  const double wall = Milliseconds(Clock::now() - start_) / 1000;
  const double checks = (form_.CheckNanoseconds() - checks_) / 1e9;
  const double bench = ThreadCpuSeconds() - thread_ + checks;
  const double process = ProcessCpuSeconds() - process_;
  const double window = WindowThreadCpuSeconds() - window_ - checks;
  return {100 * (process - bench) / wall, 100 * window / wall, 100 * bench / wall};
}

CpuShare RunIdle(const Lines& lines, double seconds) {
  const CpuMeter meter(*lines.form);
  std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
  return meter.Share();
}

Spread RunLatency(const Lines& lines, int rounds) {
  const std::array<uint64_t, 2> from = WrittenSoFar(lines);
  // Each write comes 150 ms plus a random share of a tick after the one
  // before, whatever the window did meanwhile: its moment within the tick is
  // uniform, and the previous byte is normally shown by then.
  std::mt19937 random(12345);
  std::uniform_int_distribution<int> share(0, 100'000);  // microseconds
  Clock::time_point next = Clock::now();
  for (int round = 0; round < rounds; ++round) {
    next += milliseconds(150) + std::chrono::microseconds(share(random));
    std::this_thread::sleep_until(next);
    lines.ends[round % 2]->Write(1);
  }
  WaitUntilAllShown(lines, kDrainTimeout);
  return LatenciesSince(lines, from);
}

std::array<uint64_t, 2> FeedLines(const std::array<LineWriter, 2>& writers, double rate, double seconds,
                                  Clock::duration step, const std::function<void()>& eachStep) {
  std::array<uint64_t, 2> offered = {0, 0};
  std::array<uint64_t, 2> lost = {0, 0};
  const Clock::time_point start = Clock::now();
  const auto length = std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(seconds));
  for (Clock::time_point next = start + step;; next += step) {
    std::this_thread::sleep_until(next);
    const Clock::duration elapsed = std::min(Clock::now() - start, length);
    const auto due = static_cast<uint64_t>(rate * std::chrono::duration<double>(elapsed).count());
    for (int i = 0; i < 2; ++i) {
      const uint64_t owed = due - offered[i];
      offered[i] = due;
      lost[i] += owed - writers[i](owed);
    }
    if (eachStep) eachStep();
    if (elapsed >= length) break;
  }
  return lost;
}

std::array<uint64_t, 2> FeedLikeRealLines(const std::array<serial_lines::PatternFarEnd*, 2>& ends, double rate,
                                          double seconds, const std::function<void()>& eachStep) {
  const std::array<LineWriter, 2> writers = {[&](size_t count) { return ends[0]->Write(count); },
                                             [&](size_t count) { return ends[1]->Write(count); }};
  return FeedLines(writers, rate, seconds, kPacingStep, eachStep);
}

LoadResult RunLoad(const Lines& lines, double rate, double seconds, const std::function<void()>& eachStep) {
  LoadResult result;
  result.rate = rate;
  result.seconds = seconds;
  const std::array<uint64_t, 2> from = WrittenSoFar(lines);
  std::array<uint64_t, 2> countedBefore{}, shownBefore{}, wrongBefore{}, missesBefore{};
  for (int i = 0; i < 2; ++i) {
    countedBefore[i] = lines.form->Channels[i]._dwDelivered;
    shownBefore[i] = lines.form->Watch[i].shown;
    wrongBefore[i] = lines.form->Watch[i].wrongBytes;
    missesBefore[i] = lines.form->Watch[i].memoMisses;
  }

  const CpuMeter meter(*lines.form);
  const Clock::time_point start = Clock::now();
  const std::array<uint64_t, 2> lost = FeedLikeRealLines(lines.ends, rate, seconds, eachStep);
  result.cpu = meter.Share();
  result.ticks = TickIntervals(*lines.form, start);

  result.drained = WaitUntilAllShown(lines, kDrainTimeout);
  for (int i = 0; i < 2; ++i) {
    result.taken += lines.ends[i]->Written() - from[i];
    result.lost += lost[i];
    result.counted += lines.form->Channels[i]._dwDelivered - countedBefore[i];
    result.shown += lines.form->Watch[i].shown - shownBefore[i];
    result.wrongBytes += lines.form->Watch[i].wrongBytes - wrongBefore[i];
    result.memoMisses += lines.form->Watch[i].memoMisses - missesBefore[i];
  }
  result.latency = LatenciesSince(lines, from);
  return result;
}

Spread TickIntervals(const WatchedForm& form, Clock::time_point from) {
  const std::vector<Clock::time_point> ticks = form.Ticks(from);
  std::vector<double> intervals;
  for (size_t i = 1; i < ticks.size(); ++i) intervals.push_back(Milliseconds(ticks[i] - ticks[i - 1]));
  return SpreadOf(std::move(intervals));
}
