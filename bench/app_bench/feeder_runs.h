// Both lines fed by a process of their own (app_bench_feeder), as a device
// simulator or another program feeds a line: the window's process does
// nothing for the feed, so whatever holds its threads up shows as bytes the
// lines refused. Each run reports what the lines took and refused, the
// longest time between two reads of each port's device (from the reads'
// own times) and how late the feeder itself ever was.
#pragma once

#include <chrono>
#include <string>
#include <vector>

#include "runs.h"

struct FeederRun {
  std::string error;  // empty when the run went
  uint64_t taken = 0;
  uint64_t refused = 0;
  bool shownAll = false;            // every byte taken was shown, in order
  uint64_t wrong = 0;               // bytes shown out of order or wrong
  uint64_t unshown = 0;             // bytes taken but not shown within 10 s
  double longestReadGapMs[2] = {};  // per line
  double feederLateMs = 0;          // the feeder's own longest lateness
  std::string load;                 // load average as the run ended
};

// Runs the feeder process `runs` times, `seconds` each, at `rate` bytes/s a
// line, a write every `step`.
std::vector<FeederRun> RunFeederProcess(const Lines& lines, double rate, double seconds, std::chrono::milliseconds step,
                                        int runs);
