// Open/close cycles: both panels opened and closed again and again while
// both lines carry traffic both ways, with the process's open descriptors,
// threads and resident memory sampled after the first cycle and later ones.
#pragma once

#include <string>
#include <vector>

#include "../app_bench/runs.h"

struct ResourceSample {
  int cycle = 0;
  int descriptors = 0;
  int threads = 0;
  long residentKiB = 0;
  long heapKiB = 0;  // of which handed out by the C heap
};

struct CyclesResult {
  int cycles = 0;
  int failedCycles = 0;  // a port that would not open or close, or a message box
  std::string firstFailure;
  double seconds = 0;
  uint64_t shown = 0;                   // bytes shown in the panels meanwhile
  uint64_t arrived = 0;                 // bytes the panels' sends brought to the far ends
  std::vector<ResourceSample> samples;  // the first after cycle 1, the last after the final cycle
};

CyclesResult RunCycles(const Lines& lines, double rate, int cycles);
