// The measured runs on the two lines, each run by the benchmark's own
// thread while the window's loop runs on the main thread: an idle spell,
// single bytes at random moments for the delivery latency, and a paced load
// at a given rate on both lines at once.
#pragma once

#include <array>
#include <functional>

#include "far_end.h"
#include "measures.h"
#include "watched_form.h"

// Line i: far end i, the port of panel i.
struct Lines {
  std::array<FarEnd*, 2> ends;
  WatchedForm* form;
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
  uint64_t bytes = 0;       // written per line
  bool drained = false;     // every byte written was shown afterwards
  uint64_t wrongBytes = 0;  // shown out of order, or wrong
  uint64_t memoMisses = 0;  // blocks not found at the end of their memo
  uint64_t maxBacklog = 0;  // most bytes written but not yet shown on a line
  uint64_t refused = 0;     // most bytes the terminal would not take when due
  CpuShare cpu;
  Spread latency;  // each write's first byte, from write to shown, ms
  Spread ticks;    // intervals between timer ticks, ms

  // Within this many bytes in flight a real port's 4096-byte input queue
  // has not overflowed: the queue, the channel's 2048-byte buffer and one
  // block on its way to the window.
  static constexpr uint64_t kBacklogLimit = 4096 + 2048 + 2048;
  bool Lossless() const {
    return drained && wrongBytes == 0 && memoMisses == 0 && refused == 0 && maxBacklog <= kBacklogLimit;
  }
};

CpuShare RunIdle(const Lines& lines, double seconds);
// One byte per round on alternate lines, at random moments within the tick;
// returns the latencies in ms.
Spread RunLatency(const Lines& lines, int rounds);
// Both far ends write at `rate` bytes/s each for `seconds`; `eachStep`, when
// given, runs after the writes of every 10 ms pacing step.
LoadResult RunLoad(const Lines& lines, double rate, double seconds, const std::function<void()>& eachStep = {});
// Intervals between the timer's ticks since `from`, in ms.
Spread TickIntervals(const WatchedForm& form, Clock::time_point from);
