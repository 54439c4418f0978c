#include "cycles.h"

#include <algorithm>
#include <cstdio>
#include <random>
#include <thread>

#include "../app_bench/bench_window.h"
#include "panel_senders.h"

namespace {

using std::chrono::milliseconds;

const milliseconds kPacingStep{10};
// Long enough for the last deliveries to be shown and the watchers to end.
const milliseconds kSettle{300};

ResourceSample Sample(int cycle) { return {cycle, OpenDescriptors(), ThreadCount(), ResidentKiB(), HeapInUseKiB()}; }

bool SampledAfter(int cycle, int cycles) {
  return cycle == 1 || cycle == cycles || cycle == 10 || cycle == 100 || cycle % 250 == 0;
}

// The far ends write the pattern at `rate`, as far as the lines take it: a
// closed port's line fills and refuses the rest.
class FarEndWriters {
 public:
  FarEndWriters(const Lines& lines, double rate) : lines_(lines), rate_(rate), start_(Clock::now()) {}
  void Step() {
    const auto due = static_cast<uint64_t>(rate_ * std::chrono::duration<double>(Clock::now() - start_).count());
    for (int i = 0; i < 2; ++i) {
      lines_.ends[i]->Write(static_cast<size_t>(std::min<uint64_t>(due - due_[i], 4096)));
      due_[i] = due;
    }
  }

 private:
  const Lines& lines_;
  double rate_;
  Clock::time_point start_;
  uint64_t due_[2] = {};
};

void NoteFailure(CyclesResult& result, int cycle, const std::string& what) {
  if (what.empty()) return;
  if (result.failedCycles++ == 0) result.firstFailure = "cycle " + std::to_string(cycle) + ": " + what;
}

}  // namespace

CyclesResult RunCycles(const Lines& lines, double rate, int cycles) {
  CyclesResult result;
  result.cycles = cycles;
  const uint64_t shownBefore = lines.form->Watch[0].shown + lines.form->Watch[1].shown;
  const uint64_t arrivedBefore = lines.ends[0]->Received() + lines.ends[1]->Received();
  PanelSenders senders(lines, rate);
  FarEndWriters writers(lines, rate);
  std::mt19937 random(2026);
  std::uniform_int_distribution<int> openFor(20, 150);  // ms: closes land anywhere in a tick

  const Clock::time_point start = Clock::now();
  for (int cycle = 1; cycle <= cycles; ++cycle) {
    NoteFailure(result, cycle, OpenBothPanels(*lines.form, "115200"));
    const Clock::time_point until = Clock::now() + milliseconds(openFor(random));
    for (Clock::time_point next = Clock::now(); next < until; next += kPacingStep) {
      writers.Step();
      senders.Step();
      std::this_thread::sleep_until(next + kPacingStep);
    }
    NoteFailure(result, cycle, CloseBothPanels(*lines.form));
    if (SampledAfter(cycle, cycles)) {
      std::this_thread::sleep_for(kSettle);
      for (serial_lines::PatternFarEnd* end : lines.ends) end->Read();
      result.samples.push_back(Sample(cycle));
      const ResourceSample& now = result.samples.back();
      std::fprintf(stderr, "cycle %4d: %d descriptors, %d threads, RSS %.1f MiB\n", cycle, now.descriptors, now.threads,
                   now.residentKiB / 1024.0);
    }
  }
  result.seconds = std::chrono::duration<double>(Clock::now() - start).count();
  result.shown = lines.form->Watch[0].shown + lines.form->Watch[1].shown - shownBefore;
  result.arrived = lines.ends[0]->Received() + lines.ends[1]->Received() - arrivedBefore;
  return result;
}
