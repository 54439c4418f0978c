// Figures for the whole program: the real main window on Qt's offscreen
// platform, both panels open on pseudo-terminal lines that this program
// feeds from their far ends, with the window's own timer pacing deliveries.
//   - start-up: process start to the window shown; peak resident memory;
//   - delivery latency: a byte written at the far end to its text in the
//     panel's memo (median, 99th percentile);
//   - CPU with both ports open and idle;
//   - both lines at 11,520 bytes/s (115200 baud) at once: every byte shown
//     in order, CPU, latency under load;
//   - a search over higher rates for the highest that stays lossless.
// Not a test: run it by hand. --quick shortens every run.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <future>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "app_bench/bench_window.h"
#include "app_bench/far_end.h"
#include "app_bench/measures.h"
#include "app_bench/runs.h"
#include "app_bench/watched_form.h"

namespace {

const double kDesignRate = 11520;        // bytes/s on each line: 115200 baud, 10 bits a byte
const double kDeliveryCapacity = 20480;  // bytes/s: 2048 bytes per 100 ms tick
const double kLatencyAimMs = 110;        // one timer tick and a margin
const double kIdleCpuAimPercent = 1;

struct Options {
  double loadSeconds = 60;
  double idleSeconds = 30;
  int latencyRounds = 400;
  std::vector<double> rates = {15360, 18432, 19456, 20480, 21504};
};

struct Report {
  std::string error;
  std::string machine;
  std::string loadBefore;
  std::string loadAfter;
  double sinceProcessStart = 0;  // to the window shown, s
  double sinceMain = 0;
  long peakKiB = -1;
  CpuShare idle;
  Spread latency;
  Spread idleTicks;
  LoadResult design;
  std::vector<LoadResult> search;
};

bool ParseOptions(int argc, char** argv, Options& options) {
  for (int i = 1; i < argc; ++i) {
    const std::string argument = argv[i];
    if (argument == "--quick") {
      options.loadSeconds = 10;
      options.idleSeconds = 5;
      options.latencyRounds = 100;
    } else if (argument.rfind("--seconds=", 0) == 0) {
      options.loadSeconds = std::atof(argument.c_str() + 10);
    } else if (argument.rfind("--rates=", 0) == 0) {
      options.rates.clear();
      std::istringstream list(argument.substr(8));
      for (std::string rate; std::getline(list, rate, ',');) options.rates.push_back(std::atof(rate.c_str()));
    } else {
      std::fprintf(stderr,
                   "usage: app_bench [--quick] [--seconds=S] [--rates=R1,R2,...]\n"
                   "  --quick      load runs of 10 s, a short idle spell, 100 latency samples\n"
                   "  --seconds=S  length of each load run (default 60)\n"
                   "  --rates=...  rates per line (bytes/s) to search, ascending\n");
      return false;
    }
  }
  return options.loadSeconds > 0;
}

void RunBench(const Lines& lines, const Options& options, Report& report) {
  report.error = OpenBothPanels(*lines.form, "115200");
  if (!report.error.empty()) return;
  std::this_thread::sleep_for(std::chrono::seconds(1));  // let start-up work settle

  const Clock::time_point idleStart = Clock::now();
  std::fprintf(stderr, "idle %.0f s...\n", options.idleSeconds);
  report.idle = RunIdle(lines, options.idleSeconds);
  report.idleTicks = TickIntervals(*lines.form, idleStart);

  std::fprintf(stderr, "latency, %d samples...\n", options.latencyRounds);
  report.latency = RunLatency(lines, options.latencyRounds);

  std::fprintf(stderr, "%.0f bytes/s per line for %.0f s...\n", kDesignRate, options.loadSeconds);
  report.design = RunLoad(lines, kDesignRate, options.loadSeconds);

  for (double rate : options.rates) {
    std::fprintf(stderr, "%.0f bytes/s per line for %.0f s...\n", rate, options.loadSeconds);
    report.search.push_back(RunLoad(lines, rate, options.loadSeconds));
    if (!report.search.back().Lossless()) break;
  }
  report.peakKiB = PeakResidentKiB();
}

const char* YesNo(bool value) { return value ? "yes" : "NO"; }

void PrintLoadRow(const LoadResult& run) {
  std::printf("  %7.0f %5.0f%% %4.0f %9llu  %-8s %7llu %7llu  %6.1f %6.1f  %6.1f %6.1f  %5.1f%% %5.1f%% %5.2f%%  %s\n",
              run.rate, 100 * run.rate / kDeliveryCapacity, run.seconds, static_cast<unsigned long long>(run.bytes),
              run.drained && run.wrongBytes == 0 && run.memoMisses == 0 ? "yes" : "NO",
              static_cast<unsigned long long>(run.maxBacklog), static_cast<unsigned long long>(run.refused),
              run.latency.median, run.latency.p99, run.ticks.mean, run.ticks.p99, run.cpu.programPercent,
              run.cpu.windowPercent, run.cpu.benchPercent, run.Lossless() ? "lossless" : "LOSES");
  if (!run.drained) std::printf("           not every byte was shown within 10 s after the run\n");
  if (run.wrongBytes > 0)
    std::printf("           %llu bytes shown out of order or wrong\n", static_cast<unsigned long long>(run.wrongBytes));
  if (run.memoMisses > 0)
    std::printf("           %llu blocks not at the end of their memo\n",
                static_cast<unsigned long long>(run.memoMisses));
}

void PrintReport(const Report& report, const Options& options) {
  std::printf("Kestrix whole-program benchmark: two panels on pseudo-terminal lines, offscreen window\n");
  std::printf("machine      %s\n", report.machine.c_str());
  std::printf("load average %s at start, %s at end\n", report.loadBefore.c_str(), report.loadAfter.c_str());
  if (!report.error.empty()) {
    std::printf("FAILED: %s\n", report.error.c_str());
    return;
  }
  std::printf("\nstart-up     process start to window shown %.3f s (from main() %.3f s)\n", report.sinceProcessStart,
              report.sinceMain);
  std::printf("memory       peak resident (VmHWM) %.1f MiB\n", report.peakKiB / 1024.0);

  const Spread& latency = report.latency;
  std::printf("\ndelivery latency, idle lines: one byte written at a random moment -> its text in the memo\n");
  std::printf("  %zu samples  median %.1f ms  99th %.1f ms  max %.1f ms   aim: 99th <= %.0f ms: %s\n", latency.count,
              latency.median, latency.p99, latency.max, kLatencyAimMs, YesNo(latency.p99 <= kLatencyAimMs));
  std::printf("  timer tick interval, idle: mean %.2f ms  99th %.1f ms  max %.1f ms\n", report.idleTicks.mean,
              report.idleTicks.p99, report.idleTicks.max);

  std::printf("\nCPU, share of one core (process CPU by getrusage, less the benchmark's own thread and checks)\n");
  std::printf(
      "  both ports open, idle, %.0f s: %.2f%%, window thread %.2f%% (benchmark %.2f%%)   aim: under %.0f%%: %s\n",
      options.idleSeconds, report.idle.programPercent, report.idle.windowPercent, report.idle.benchPercent,
      kIdleCpuAimPercent, YesNo(report.idle.programPercent < kIdleCpuAimPercent));
  std::printf("  both lines at %.0f bytes/s each, %.0f s: %.2f%%, window thread %.2f%% (benchmark %.2f%%)\n",
              kDesignRate, options.loadSeconds, report.design.cpu.programPercent, report.design.cpu.windowPercent,
              report.design.cpu.benchPercent);

  std::printf("\nload runs, both lines at once; rate in bytes/s per line (%% of 2048 bytes per tick)\n");
  std::printf("  lossless: every byte shown in order and at most %llu bytes in flight per line\n",
              static_cast<unsigned long long>(LoadResult::kBacklogLimit));
  std::printf("  (a real port's 4096-byte input queue, the 2048-byte buffer, one block on its way)\n");
  std::printf(
      "     rate  share secs bytes/line in order backlog refused  latency ms      tick ms     CPU window  bench\n");
  std::printf("                                              max   bytes  median   99th    mean  99th\n");
  PrintLoadRow(report.design);
  double best = 0;
  for (const LoadResult& run : report.search) {
    PrintLoadRow(run);
    if (run.Lossless()) best = std::max(best, run.rate);
  }
  std::printf("\n%.0f bytes/s per line at once: %s\n", kDesignRate,
              report.design.Lossless() ? "lossless" : "LOSES BYTES");
  std::printf("highest lossless rate searched: %.0f bytes/s per line (%.0f%% of %.0f)   aim: at least 90%%: %s\n", best,
              100 * best / kDeliveryCapacity, kDeliveryCapacity, YesNo(best >= 0.9 * kDeliveryCapacity));
}

}  // namespace

int main(int argc, char** argv) {
  const Clock::time_point mainEntry = Clock::now();
  Options options;
  if (!ParseOptions(argc, argv, options)) return 2;

  Report report;
  report.machine = MachineDescription();
  report.loadBefore = LoadAverage();
  RunWithWindow(
      [&] {
        report.sinceProcessStart = SecondsSinceProcessStart();
        report.sinceMain = std::chrono::duration<double>(Clock::now() - mainEntry).count();
      },
      [&](const Lines& lines) { RunBench(lines, options, report); });
  report.loadAfter = LoadAverage();

  PrintReport(report, options);
  std::fflush(stdout);  // before any exit-time checker ends the process
  return report.error.empty() ? 0 : 1;
}
