// The measured runs on the two lines, each run by the benchmark's own
// thread while the window's loop runs on the main thread: an idle spell,
// single bytes at random moments for the delivery latency, and a paced load
// at a given rate on both lines at once.
#pragma once

#include <array>
#include <functional>

#include "measures.h"
#include "pattern_far_end.h"
#include "watched_form.h"

class EspLogFarEnd;

// Line i: far end i, the port of panel i (COM1, COM2). The log lines are
// COM3 and COM4, far ends that send an ESP-IDF-like log.
struct Lines {
  std::array<serial_lines::PatternFarEnd*, 2> ends;
  WatchedForm* form;
  std::array<EspLogFarEnd*, 2> logEnds;
};

// CPU used while a run lasted, as a share of one core: the process's less
// the benchmark's own (its thread and its checks on the window's thread).
struct CpuShare {
  double programPercent = 0;
  double windowPercent = 0;  // of which the window's thread
  double benchPercent = 0;
};

struct LoadResult {
  double rate = 0;  // bytes per second per line
  double seconds = 0;
  // Summed over both lines.
  uint64_t taken = 0;       // bytes the lines took when due
  uint64_t lost = 0;        // bytes the lines did not take when due
  uint64_t counted = 0;     // bytes the panels' received counters (R:) grew by
  uint64_t shown = 0;       // bytes shown in the memos, in order
  bool drained = false;     // every byte taken was shown afterwards
  uint64_t wrongBytes = 0;  // shown out of order, or wrong
  uint64_t memoMisses = 0;  // shown texts not found at the end of their memo
  CpuShare cpu;
  Spread latency;  // each write's first byte, from write to shown, ms
  Spread ticks;    // intervals between timer ticks, ms

  bool Lossless() const {
    return lost == 0 && drained && wrongBytes == 0 && memoMisses == 0 && counted == taken && shown == taken;
  }
};

// Measures the CPU the program uses from its making to Share().
class CpuMeter {
 public:
  explicit CpuMeter(const WatchedForm& form);
  CpuShare Share() const;

 private:
  const WatchedForm& form_;
  double process_;
  double thread_;
  double window_;
  int64_t checks_;
  Clock::time_point start_;
};

// Writes up to the count it is given to a line as far as the line takes it
// now; returns how many it took.
using LineWriter = std::function<size_t(size_t)>;

// Feeds two lines at `rate` bytes/s each for `seconds`, a write every
// `step`, as real lines do: what a line does not take when it is due is
// lost, not sent later. `eachStep`, when given, runs after every step's
// writes. Returns the bytes lost on each line.
std::array<uint64_t, 2> FeedLines(const std::array<LineWriter, 2>& writers, double rate, double seconds,
                                  Clock::duration step, const std::function<void()>& eachStep = {});

// Feeds the lines at `rate` bytes/s each for `seconds` as real lines do:
// what a line does not take when it is due is lost, not sent later.
// `eachStep`, when given, runs after the writes of every 10 ms pacing step.
// Returns the bytes lost on each line.
std::array<uint64_t, 2> FeedLikeRealLines(const std::array<serial_lines::PatternFarEnd*, 2>& ends, double rate,
                                          double seconds, const std::function<void()>& eachStep = {});

CpuShare RunIdle(const Lines& lines, double seconds);
// One byte per round on alternate lines, at random moments within the tick;
// returns the latencies in ms.
Spread RunLatency(const Lines& lines, int rounds);
// Both far ends fed like real lines at `rate` bytes/s each for `seconds`
// (FeedLikeRealLines), with what the window took, counted and showed.
LoadResult RunLoad(const Lines& lines, double rate, double seconds, const std::function<void()>& eachStep = {});
// Intervals between the timer's ticks since `from`, in ms.
Spread TickIntervals(const WatchedForm& form, Clock::time_point from);
