// A process's CPU time as the kernel counts it, for the peers the benchmark
// runs beside the program.
#pragma once

#include <sys/types.h>

// User and system CPU of a process so far, in seconds; 0 when it cannot be read.
double ProcessCpuSecondsOf(pid_t pid);
