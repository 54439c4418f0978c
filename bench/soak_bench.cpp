// Long-run figures for the whole program, its window offscreen and both
// panels on pseudo-terminal lines:
//   - soak: both lines carry 11,520 bytes/s (115200 baud) each way at once
//     for ten minutes; every byte must arrive in order at the other end and
//     be counted by the status bar's S: and R:;
//   - cycles: both panels opened and closed 1,000 times under traffic; open
//     descriptors, threads and resident memory must be the same at the end
//     as after the first cycle.
// Not a test: run it by hand.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "app_bench/bench_window.h"
#include "app_bench/measures.h"
#include "soak_bench/cycles.h"
#include "soak_bench/soak.h"

namespace {

const double kDesignRate = 11520;  // bytes/s each way on each line: 115200 baud, 10 bits a byte
// Resident memory may move by the allocator's rounding between samples.
const long kResidentToleranceKiB = 1024;
// Cycles after which growth counts as growth (a sampled cycle).
const int kWarmUpCycles = 10;

struct Options {
  double minutes = 10;
  int cycles = 1000;
};

bool ParseOptions(int argc, char** argv, Options& options) {
  for (int i = 1; i < argc; ++i) {
    const std::string argument = argv[i];
    if (argument.rfind("--minutes=", 0) == 0) {
      options.minutes = std::atof(argument.c_str() + 10);
    } else if (argument.rfind("--cycles=", 0) == 0) {
      options.cycles = std::atoi(argument.c_str() + 9);
    } else {
      std::fprintf(stderr,
                   "usage: soak_bench [--minutes=M] [--cycles=N]\n"
                   "  --minutes=M  length of the two-way soak (default 10; 0 leaves it out)\n"
                   "  --cycles=N   open/close cycles of both panels (default 1000; 0 leaves them out)\n");
      return false;
    }
  }
  return options.minutes >= 0 && options.cycles >= 0;
}

const char* YesNo(bool value) { return value ? "yes" : "NO"; }

unsigned long long U(uint64_t value) { return static_cast<unsigned long long>(value); }

void PrintSoak(const SoakResult& soak, double minutes) {
  std::printf("\nsoak: both lines at %.0f bytes/s each way at once for %.1f min\n", soak.rate, minutes);
  if (!soak.error.empty()) {
    std::printf("  FAILED: %s\n", soak.error.c_str());
    if (soak.load.taken == 0) return;
  }
  std::printf("  line  far end wrote   shown in order   R:            panel sent   far end read in order   S:\n");
  const LoadResult& load = soak.load;
  bool whole = soak.arrived && load.drained && load.wrongBytes == 0 && load.memoMisses == 0 && load.lost == 0;
  for (int i = 0; i < 2; ++i) {
    const SoakLine& line = soak.lines[i];
    whole = whole && line.Whole();
    std::printf("  %d     %12llu    %12llu %-3s %12llu  %12llu   %12llu %-3s       %12llu\n", i + 1,
                U(line.farEndWrote), U(line.shown), YesNo(line.shown == line.farEndWrote), U(line.counterReceived),
                U(line.offered), U(line.farEndReceived),
                YesNo(line.farEndReceived == line.offered && line.farEndWrong == 0), U(line.counterSent));
    if (!line.countersRead) std::printf("        the status bar's counter line could not be read\n");
  }
  std::printf("  towards the panels: %llu bytes shown wrong or out of order, %llu blocks not at their memo's end,\n",
              U(load.wrongBytes), U(load.memoMisses));
  std::printf("    %llu lost: not taken by a full line when due, as a real line loses them\n", U(load.lost));
  std::printf("  latency, far end write to memo: median %.1f ms, 99th %.1f ms, max %.1f ms\n", load.latency.median,
              load.latency.p99, load.latency.max);
  std::printf("  CPU %.2f%% of one core (window thread %.2f%%; benchmark %.2f%% left out)\n", load.cpu.programPercent,
              load.cpu.windowPercent, load.cpu.benchPercent);
  std::printf("  resident memory %.1f MiB at the start, %.1f MiB at the end\n", soak.residentStartKiB / 1024.0,
              soak.residentEndKiB / 1024.0);
  std::printf("  every byte arrived in order at both ends and counted: %s\n", YesNo(whole));
}

void PrintCycles(const CyclesResult& cycles) {
  std::printf("\ncycles: both panels opened and closed %d times under traffic both ways (%.0f s)\n", cycles.cycles,
              cycles.seconds);
  std::printf("  %d cycles failed%s%s\n", cycles.failedCycles, cycles.failedCycles ? ", first: " : "",
              cycles.firstFailure.c_str());
  std::printf("  meanwhile %llu bytes shown in the panels, %llu bytes of the panels' sends arrived\n", U(cycles.shown),
              U(cycles.arrived));
  std::printf("   after cycle  descriptors  threads  resident MiB  C heap in use MiB\n");
  for (const ResourceSample& sample : cycles.samples)
    std::printf("  %12d  %11d  %7d  %12.1f  %17.1f\n", sample.cycle, sample.descriptors, sample.threads,
                sample.residentKiB / 1024.0, sample.heapKiB / 1024.0);
  if (cycles.samples.size() < 2) return;
  const ResourceSample& first = cycles.samples.front();
  const ResourceSample& last = cycles.samples.back();
  const long grown = last.residentKiB - first.residentKiB;
  std::printf("  at the end as after the first cycle: descriptors %s, threads %s, resident memory %s (%+ld KiB)\n",
              YesNo(last.descriptors == first.descriptors), YesNo(last.threads == first.threads),
              YesNo(grown <= kResidentToleranceKiB), grown);
  // The first cycles warm up the allocator's arenas and the toolkit's
  // caches; what still grows after them grows with every cycle.
  const ResourceSample* warm = nullptr;
  for (const ResourceSample& sample : cycles.samples)
    if (sample.cycle == kWarmUpCycles) warm = &sample;
  if (warm && warm != &last) {
    const int later = last.cycle - warm->cycle;
    std::printf(
        "  after the first %d cycles: resident memory %+ld KiB, C heap in use %+ld KiB over %d cycles (%.2f KiB a "
        "cycle)\n",
        kWarmUpCycles, last.residentKiB - warm->residentKiB, last.heapKiB - warm->heapKiB, later,
        static_cast<double>(last.heapKiB - warm->heapKiB) / later);
  }
}

}  // namespace

int main(int argc, char** argv) {
  Options options;
  if (!ParseOptions(argc, argv, options)) return 2;
  const std::string machine = MachineDescription();
  const std::string loadBefore = LoadAverage();

  SoakResult soak;
  CyclesResult cycles;
  RunWithWindow({}, [&](const Lines& lines) {
    if (options.minutes > 0) soak = RunSoak(lines, kDesignRate, options.minutes);
    if (options.cycles > 0) cycles = RunCycles(lines, kDesignRate, options.cycles);
  });

  std::printf("Kestrix soak and cycles: two panels on pseudo-terminal lines, offscreen window\n");
  std::printf("machine      %s\n", machine.c_str());
  std::printf("load average %s at start, %s at end\n", loadBefore.c_str(), LoadAverage().c_str());
  if (options.minutes > 0) PrintSoak(soak, options.minutes);
  if (options.cycles > 0) PrintCycles(cycles);
  std::fflush(stdout);  // before any exit-time checker ends the process
  return 0;
}
