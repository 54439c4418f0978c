// Figures of the process and the machine, and the spread of a set of
// samples.
#pragma once

#include <string>
#include <vector>

// Process CPU time (user and system, all threads), in seconds.
double ProcessCpuSeconds();
// CPU time of the calling thread, in seconds.
double ThreadCpuSeconds();
// CPU time of the process's main thread, which runs the window, in seconds
// (10 ms resolution).
double WindowThreadCpuSeconds();
// Peak resident set size (VmHWM), in KiB; -1 when unknown.
long PeakResidentKiB();
// Resident set size now (VmRSS), in KiB; -1 when unknown.
long ResidentKiB();
// Bytes the C heap has handed out and not had back (mallinfo2), in KiB.
long HeapInUseKiB();
// Open file descriptors (/proc/self/fd) and threads (/proc/self/task) now.
int OpenDescriptors();
int ThreadCount();
// Seconds since the kernel started this process (10 ms resolution).
double SecondsSinceProcessStart();

std::string MachineDescription();
std::string LoadAverage();

struct Spread {
  size_t count = 0;
  double mean = 0;
  double median = 0;
  double p99 = 0;  // nearest rank
  double max = 0;
};
Spread SpreadOf(std::vector<double> samples);
