// Figures for the whole program: the real main window on Qt's offscreen
// platform, both panels open on pseudo-terminal lines that this program
// feeds from their far ends, with the window's own timer pacing deliveries.
//   - start-up: process start to the window shown; peak resident memory;
//   - delivery latency: a byte written at the far end to its text in the
//     panel's memo (median, 99th percentile);
//   - CPU with both ports open and idle;
//   - both lines at once at 11,520, 92,160 and 307,200 bytes/s each (115200,
//     921600 and 3000000 baud), fed like real lines: what a line does not
//     take when due is lost. Bytes taken, lost, counted (R:) and shown in
//     order; CPU; latency under load;
//   - tio, the reference peer, on its own two lines fed the same way in the
//     same run (skipped with a note when it is not installed);
//   - both lines at 307,200 bytes/s fed by a process of its own
//     (app_bench_feeder), a write every 5 ms, in repeated runs: bytes the
//     lines refused, and the longest time between two reads of each port
//     (bench/app_bench_screen_reader.sh runs it with an accessibility bus
//     up and a listener on it, as a screen-reader user has);
//   - the whole session: both panels keep everything, in terminal colours
//     and UTF-8, fed an ESP-IDF-like log at the same rates (a write every
//     10 ms) and at 307,200 bytes/s with a write every 5 ms, beside cat of
//     two lines of its own with that feed; every line checked in the views.
//     Then filled to an hour of 11,520 bytes/s (41,472,000 bytes a panel):
//     resident memory, Ctrl+Home and Ctrl+End in the view, a find and a
//     regular expression over all that is kept, and 保存显示内容… of it.
//   - --day: a day of it instead: each log line fed as fast as the program
//     takes it to a gigabyte (or --day=B bytes), then a last run at
//     307,200 bytes/s each with every line checked, and the same figures.
//   - --session-log: the session log instead: CPU at 92,160 bytes/s each
//     without it, with both panels logging and without again, and the log
//     files checked against the views.
// Not a test: run it by hand. --quick shortens every run.
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "app_bench/bench_window.h"
#include "app_bench/cat_reference.h"
#include "app_bench/esp_log_feed.h"
#include "app_bench/feeder_runs.h"
#include "app_bench/measures.h"
#include "app_bench/runs.h"
#include "app_bench/session_log_runs.h"
#include "app_bench/session_runs.h"
#include "app_bench/tio_reference.h"

namespace {

const double kTickMs = 100;
const double kLatencyAimMs = 110;  // one timer tick and a margin
const double kIdleCpuAimPercent = 1;

// Rates per line and the CPU each may take with both lines at once (share
// of one core; 0: no aim).
struct RateAim {
  double rate;
  double cpuAimPercent;
};
const RateAim kRateAims[] = {{11520, 3}, {92160, 10}, {307200, 0}};

struct Options {
  double loadSeconds = 60;
  double idleSeconds = 30;
  int latencyRounds = 400;
  std::vector<double> rates = {11520, 92160, 307200};
  bool tio = true;
  bool plain = true;                  // the runs with nothing chosen
  bool session = true;                // the whole-session runs
  double fillBytes = 11520.0 * 3600;  // an hour at 115200 baud, per panel
  bool feeder = true;                 // the runs fed by a process of their own
  int feederRuns = 10;
  double feederSeconds = 20;
  double dayBytes = 0;           // the day run, per panel; 0 for the usual runs
  double sessionLogSeconds = 0;  // each session log run; 0 for the usual runs
};

const double kFeederRate = 307200;
const auto kFeederStep = std::chrono::milliseconds(5);

// The day run fills the views as fast as the program takes the lines.
const double kFillRate = 3000000;

// The whole session's aims (share of one core; ms).
const double kSessionStepFastMs = 5;
const double kFrameMs = 1000.0 / 60;
const double kJumpAimMs = 50;
const double kFindAimMs = 1000;
const double kRegexAimMs = 3000;
const double kSaveAimMs = 10000;
const double kMemoryAimFactor = 1.3;   // of the bytes kept,
const double kMemoryAimBaseMiB = 60;   // plus the program's resident memory without them
const double kSessionLogCpuAim = 1.2;  // of the CPU without the log

struct RateRun {
  LoadResult kestrix;
  TioResult tio;
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
  std::vector<RateRun> runs;
  std::string sessionError;
  std::vector<SessionLoadResult> sessionRuns;
  CatResult cat;
  double fillSeconds = 0;  // the day run's filling
  SessionLogFigures sessionLog;
  SessionViewFigures view;
  std::vector<FeederRun> feederRuns;
};

double CpuAimFor(double rate) {
  for (const RateAim& aim : kRateAims)
    if (aim.rate == rate) return aim.cpuAimPercent;
  return 0;
}

bool ParseOptions(int argc, char** argv, Options& options) {
  for (int i = 1; i < argc; ++i) {
    const std::string argument = argv[i];
    if (argument == "--quick") {
      options.loadSeconds = 10;
      options.idleSeconds = 5;
      options.latencyRounds = 100;
    } else if (argument.rfind("--seconds=", 0) == 0) {
      options.loadSeconds = std::atof(argument.c_str() + 10);
    } else if (argument == "--no-tio") {
      options.tio = false;
    } else if (argument == "--no-session") {
      options.session = false;
    } else if (argument == "--session-only") {
      options.plain = false;
    } else if (argument == "--feeder-only") {
      options.plain = options.session = false;
    } else if (argument == "--no-feeder") {
      options.feeder = false;
    } else if (argument.rfind("--feeder-runs=", 0) == 0) {
      options.feederRuns = std::atoi(argument.c_str() + 14);
    } else if (argument.rfind("--feeder-seconds=", 0) == 0) {
      options.feederSeconds = std::atof(argument.c_str() + 17);
    } else if (argument.rfind("--fill-bytes=", 0) == 0) {
      options.fillBytes = std::atof(argument.c_str() + 13);
    } else if (argument == "--day") {
      options.dayBytes = 1024.0 * 1024 * 1024;
      options.plain = false;
    } else if (argument.rfind("--day=", 0) == 0) {
      options.dayBytes = std::atof(argument.c_str() + 6);
      options.plain = false;
    } else if (argument == "--session-log" || argument.rfind("--session-log=", 0) == 0) {
      options.sessionLogSeconds = argument.size() > 14 ? std::atof(argument.c_str() + 14) : 30;
      options.plain = options.feeder = false;
    } else if (argument.rfind("--rates=", 0) == 0) {
      options.rates.clear();
      std::istringstream list(argument.substr(8));
      for (std::string rate; std::getline(list, rate, ',');) options.rates.push_back(std::atof(rate.c_str()));
    } else {
      std::fprintf(stderr,
                   "usage: app_bench [--quick] [--seconds=S] [--rates=R1,R2,...] [--no-tio] [--no-session]\n"
                   "                 [--session-only] [--fill-bytes=B] [--feeder-only] [--no-feeder]\n"
                   "                 [--feeder-runs=N] [--feeder-seconds=S] [--day[=B]] [--session-log[=S]]\n"
                   "  --quick      load runs of 10 s, a short idle spell, 100 latency samples\n"
                   "  --seconds=S  length of each load run (default 60)\n"
                   "  --rates=...  rates per line (bytes/s), default 11520,92160,307200\n"
                   "  --no-tio     leave the reference peer out\n"
                   "  --no-session leave the whole-session runs out\n"
                   "  --session-only  only the whole-session runs\n"
                   "  --fill-bytes=B  bytes each log line has sent before the view is timed (default 41472000)\n"
                   "  --feeder-only   only the runs fed by a process of their own (--no-feeder leaves them out)\n"
                   "  --feeder-runs=N, --feeder-seconds=S  how many of them, how long each (default 10, 20 s)\n"
                   "  --day[=B]    the whole session only: each log line fed as fast as it is taken to B bytes\n"
                   "               (default 1 GiB), then a run at 307200 B/s, then the view's figures\n"
                   "  --session-log[=S]  the session log only: runs of S s (default 30) at 92160 B/s without it,\n"
                   "               with both panels logging and without again\n"
                   "The window is offscreen unless QT_QPA_PLATFORM names a platform (xcb under xvfb-run).\n");
      return false;
    }
  }
  return options.loadSeconds > 0;
}

// A folder for the saved text, removed with it.
std::string SaveFolder() {
  char folder[] = "/tmp/kestrix-bench-XXXXXX";
  return mkdtemp(folder) ? folder : "/tmp";
}

void RunDay(const Lines& lines, const Options& options, Report& report) {
  const auto fastStep = std::chrono::milliseconds(static_cast<int>(kSessionStepFastMs));
  // Room for all of it: nothing is let go.
  const int limitMiB = std::min(4096, static_cast<int>(options.dayBytes * 1.1 / (1024 * 1024)) + 64);
  report.sessionError = SetSessionLimit(lines, limitMiB);
  if (!report.sessionError.empty()) return;
  std::fprintf(stderr, "filling the views to %.0f bytes a panel, as fast as they are taken...\n", options.dayBytes);
  report.fillSeconds = FillSession(lines, kFillRate, static_cast<uint64_t>(options.dayBytes));
  std::fprintf(stderr, "whole session, 307200 bytes/s per line, a write every 5 ms, for %.0f s...\n",
               options.loadSeconds);
  report.sessionRuns.push_back(RunSessionLoad(lines, 307200, options.loadSeconds, fastStep));
  const std::string folder = SaveFolder();
  report.view = MeasureSessionView(lines, folder);
  rmdir(folder.c_str());
}

void RunSession(const Lines& lines, const Options& options, Report& report) {
  if (options.sessionLogSeconds > 0) {
    const std::string folder = SaveFolder();
    report.sessionLog = RunSessionLog(lines, options.sessionLogSeconds, folder);
    report.sessionError = report.sessionLog.error;
    rmdir(folder.c_str());
    return;
  }
  report.sessionError = StartSession(lines, "115200");
  if (!report.sessionError.empty()) return;
  if (options.dayBytes > 0) return RunDay(lines, options, report);
  for (double rate : options.rates) {
    std::fprintf(stderr, "whole session, %.0f bytes/s per line for %.0f s...\n", rate, options.loadSeconds);
    report.sessionRuns.push_back(RunSessionLoad(lines, rate, options.loadSeconds, std::chrono::milliseconds(10)));
  }
  const auto fastStep = std::chrono::milliseconds(static_cast<int>(kSessionStepFastMs));
  std::fprintf(stderr, "whole session, 307200 bytes/s per line, a write every 5 ms, for %.0f s...\n",
               options.loadSeconds);
  report.sessionRuns.push_back(RunSessionLoad(lines, 307200, options.loadSeconds, fastStep));
  {
    std::fprintf(stderr, "cat, the same feed...\n");
    CatReference cat;
    report.cat = cat.Run(307200, options.loadSeconds, fastStep);
  }
  std::fprintf(stderr, "filling the views to %.0f bytes a panel...\n", options.fillBytes);
  FillSession(lines, 307200, static_cast<uint64_t>(options.fillBytes));
  const std::string folder = SaveFolder();
  report.view = MeasureSessionView(lines, folder);
  rmdir(folder.c_str());
}

void RunFeeder(const Lines& lines, const Options& options, Report& report) {
  if (options.feeder && options.feederRuns > 0)
    report.feederRuns = RunFeederProcess(lines, kFeederRate, options.feederSeconds, kFeederStep, options.feederRuns);
}

void RunBench(const Lines& lines, const Options& options, Report& report) {
  report.error = OpenBothPanels(*lines.form, "115200");
  if (!report.error.empty()) return;
  std::this_thread::sleep_for(std::chrono::seconds(1));  // let start-up work settle
  if (!options.plain) {
    RunFeeder(lines, options, report);
    if (options.session) RunSession(lines, options, report);
    report.peakKiB = PeakResidentKiB();
    return;
  }

  const Clock::time_point idleStart = Clock::now();
  std::fprintf(stderr, "idle %.0f s...\n", options.idleSeconds);
  report.idle = RunIdle(lines, options.idleSeconds);
  report.idleTicks = TickIntervals(*lines.form, idleStart);

  std::fprintf(stderr, "latency, %d samples...\n", options.latencyRounds);
  report.latency = RunLatency(lines, options.latencyRounds);

  std::unique_ptr<TioReference> tio;
  if (options.tio) tio = std::make_unique<TioReference>();
  for (double rate : options.rates) {
    RateRun run;
    std::fprintf(stderr, "%.0f bytes/s per line for %.0f s...\n", rate, options.loadSeconds);
    run.kestrix = RunLoad(lines, rate, options.loadSeconds);
    if (tio) {
      std::fprintf(stderr, "tio, %.0f bytes/s per line for %.0f s...\n", rate, options.loadSeconds);
      run.tio = tio->Run(rate, options.loadSeconds);
    } else {
      run.tio.note = "left out (--no-tio)";
    }
    report.runs.push_back(run);
  }
  report.peakKiB = PeakResidentKiB();
  RunFeeder(lines, options, report);
  if (options.session) RunSession(lines, options, report);
}

const char* YesNo(bool value) { return value ? "yes" : "NO"; }

void PrintRunRows(const RateRun& run) {
  const LoadResult& k = run.kestrix;
  const double aim = CpuAimFor(k.rate);
  char aimText[32] = "";
  if (aim > 0) std::snprintf(aimText, sizeof aimText, "<%.0f%% %s", aim, YesNo(k.cpu.programPercent < aim));
  std::printf("  %7.0f  kestrix %10llu %8llu %10llu %10llu  %-8s %6.2f%% %-8s %6.2f%%  %6.1f %6.1f  %s\n", k.rate,
              static_cast<unsigned long long>(k.taken), static_cast<unsigned long long>(k.lost),
              static_cast<unsigned long long>(k.counted), static_cast<unsigned long long>(k.shown),
              k.drained && k.wrongBytes == 0 && k.memoMisses == 0 ? "yes" : "NO", k.cpu.programPercent, aimText,
              k.cpu.windowPercent, k.latency.median, k.latency.p99, k.Lossless() ? "lossless" : "LOSES");
  if (k.wrongBytes > 0)
    std::printf("           %llu bytes shown out of order or wrong\n", static_cast<unsigned long long>(k.wrongBytes));
  if (k.memoMisses > 0)
    std::printf("           %llu updates without the newest block at the end of the memo\n",
                static_cast<unsigned long long>(k.memoMisses));
  const TioResult& t = run.tio;
  if (!t.ran) {
    std::printf("  %7.0f  tio      skipped: %s\n", k.rate, t.note.c_str());
    return;
  }
  std::printf("  %7.0f  tio      %10llu %8llu %10s %10llu  %-8s %6.2f%%                                   %s\n", k.rate,
              static_cast<unsigned long long>(t.taken), static_cast<unsigned long long>(t.lost), "-",
              static_cast<unsigned long long>(t.printed), t.wrong == 0 ? "yes" : "NO", t.cpuPercent,
              t.Lossless() ? "lossless" : "LOSES");
}

void PrintSessionRun(const SessionLoadResult& run) {
  const double aim = run.stepMs == 10 ? CpuAimFor(run.rate) : 0;
  char aimText[32] = "";
  if (aim > 0) std::snprintf(aimText, sizeof aimText, "<%.0f%% %s", aim, YesNo(run.cpu.programPercent < aim));
  std::printf("  %7.0f %4d ms  %10llu %8llu %9llu  %-5s %6.2f%% %-8s %6.2f%%  %5.1f %5.1f %6.1f  %s\n", run.rate,
              run.stepMs, static_cast<unsigned long long>(run.taken), static_cast<unsigned long long>(run.lost),
              static_cast<unsigned long long>(run.linesSent), YesNo(run.shownAll), run.cpu.programPercent, aimText,
              run.cpu.windowPercent, run.answers.median, run.answers.p99, run.answers.max,
              run.Lossless() ? "lossless" : "LOSES");
  if (!run.mismatch.empty()) std::printf("           %s\n", run.mismatch.c_str());
}

void PrintSessionLog(const SessionLogFigures& log) {
  std::printf("     rate  write      taken     lost  lines sent  all   CPU      aim      window  window answers ms\n");
  const char* names[] = {"log off", "log on", "log off again"};
  const SessionLoadResult* runs[] = {&log.without, &log.with, &log.withoutAgain};
  for (int i = 0; i < 3; ++i) {
    std::printf("  %s:\n", names[i]);
    PrintSessionRun(*runs[i]);
  }
  std::printf("  CPU with the log / without (mean of both): %.2f   aim: within %.1f: %s\n", log.CpuRatio(),
              kSessionLogCpuAim, YesNo(log.CpuRatio() > 0 && log.CpuRatio() <= kSessionLogCpuAim));
  for (int i = 0; i < 2; ++i)
    std::printf("  panel %d's log: %llu bytes written, %llu taken by its view meanwhile; the file equal to them: %s\n",
                i + 1, static_cast<unsigned long long>(log.fileBytes[i]),
                static_cast<unsigned long long>(log.viewBytes[i]), YesNo(log.equal[i]));
}

void PrintSession(const Report& report, const Options& options) {
  std::printf(
      "\nwhole session kept, terminal colours, UTF-8, both panels; an ESP-IDF-like log on both lines, %.0f s a "
      "run\n",
      options.sessionLogSeconds > 0 ? options.sessionLogSeconds : options.loadSeconds);
  if (!report.sessionError.empty()) {
    std::printf("FAILED: %s\n", report.sessionError.c_str());
    return;
  }
  if (options.sessionLogSeconds > 0) return PrintSessionLog(report.sessionLog);
  std::printf("     rate  write      taken     lost  lines sent  all   CPU      aim      window  window answers ms\n");
  std::printf(
      "   B/s/line every                     (both, total) shown                          median  99th   max\n");
  for (const SessionLoadResult& run : report.sessionRuns) PrintSessionRun(run);
  std::printf(
      "  window answers: a call posted to its queue while both lines stream (as a typed key is); aim: "
      "within one frame (%.1f ms)\n",
      kFrameMs);
  const CatResult& cat = report.cat;
  if (cat.ran)
    std::printf(
        "  cat, 307200 B/s per line, a write every 5 ms: %llu taken, %llu lost, %llu in its files, %llu wrong; "
        "CPU %.2f%%: %s\n",
        static_cast<unsigned long long>(cat.taken), static_cast<unsigned long long>(cat.lost),
        static_cast<unsigned long long>(cat.inFiles), static_cast<unsigned long long>(cat.wrong), cat.cpuPercent,
        cat.Lossless() ? "lossless" : "LOSES");
  else
    std::printf("  cat skipped: %s\n", cat.note.c_str());

  if (report.fillSeconds > 0)
    std::printf("  filled as fast as taken: %.1f MB on each line in %.0f s (%.2f MB/s a line)\n",
                static_cast<double>(report.view.received) / 2e6, report.fillSeconds,
                static_cast<double>(report.view.received) / 2e6 / report.fillSeconds);
  const SessionViewFigures& view = report.view;
  const double keptMiB = static_cast<double>(view.kept) / (1024 * 1024);
  const double residentMiB = view.residentKiB / 1024.0;
  const double memoryAim = kMemoryAimFactor * keptMiB + kMemoryAimBaseMiB;
  std::printf("\nafter %.1f MB received on both lines together: %.1f MiB kept in the views (%.1f MiB let go)\n",
              static_cast<double>(view.received) / 1e6, keptMiB, static_cast<double>(view.dropped) / (1024 * 1024));
  std::printf("  resident memory %.1f MiB   aim: under %.1f MiB (%.1f x kept + %.0f): %s\n", residentMiB, memoryAim,
              kMemoryAimFactor, kMemoryAimBaseMiB, YesNo(residentMiB < memoryAim));
  const auto printTimes = [](const char* what, const Spread& times, double aim) {
    std::printf("  %-40s median %7.1f ms  max %7.1f ms   aim: under %.0f ms: %s\n", what, times.median, times.max, aim,
                YesNo(times.count > 0 && times.max < aim));
  };
  printTimes("Ctrl+Home to the top drawn (5 times)", view.top, kJumpAimMs);
  printTimes("Ctrl+End to the bottom drawn (5 times)", view.bottom, kJumpAimMs);
  const auto printFind = [](const char* what, const char* text, const FindFigures& find, double aim) {
    std::printf(
        "  %s \"%s\": %lld matches, all counted in %.0f ms (aim: under %.0f ms: %s); progress shown: %s;\n"
        "    the window answered meanwhile in median %.1f ms, max %.1f ms\n",
        what, text, find.matches, find.ms, aim, YesNo(find.ms < aim), find.progressShown ? "yes" : "no",
        find.answers.median, find.answers.max);
  };
  printFind("find", kEspLogUniqueText, view.find, kFindAimMs);
  printFind("regular expression", kEspLogExpression, view.regex, kRegexAimMs);
  std::printf(
      "  保存显示内容… of panel 1: %.1f MB written in %.0f ms (aim: under %.0f ms: %s), the file equal to the\n"
      "    view: %s; the window answered meanwhile in median %.1f ms, max %.1f ms\n",
      static_cast<double>(view.savedBytes) / 1e6, view.saveMs, kSaveAimMs, YesNo(view.saveMs < kSaveAimMs),
      YesNo(view.saveWhole), view.saveAnswers.median, view.saveAnswers.max);
}

void PrintFeeder(const Report& report, const Options& options) {
  if (report.feederRuns.empty()) return;
  std::printf("\nboth lines at %.0f bytes/s fed by a process of their own, a write every %lld ms, %.0f s a run%s\n",
              kFeederRate, static_cast<long long>(kFeederStep.count()), options.feederSeconds,
              std::getenv("QT_LINUX_ACCESSIBILITY_ALWAYS_ON") ? ", accessibility bridge on" : "");
  std::printf("  run      taken  refused  all shown  longest gap between reads ms  feeder late ms  load average\n");
  std::printf("                                       line 1   line 2\n");
  int refusing = 0;
  double longest = 0;
  for (size_t run = 0; run < report.feederRuns.size(); ++run) {
    const FeederRun& r = report.feederRuns[run];
    if (!r.error.empty()) {
      std::printf("  %3zu  FAILED: %s\n", run + 1, r.error.c_str());
      continue;
    }
    if (r.refused > 0) ++refusing;
    longest = std::max({longest, r.longestReadGapMs[0], r.longestReadGapMs[1]});
    std::printf("  %3zu %10llu %8llu  %-9s  %8.1f %8.1f  %14.1f  %s\n", run + 1,
                static_cast<unsigned long long>(r.taken), static_cast<unsigned long long>(r.refused), YesNo(r.shownAll),
                r.longestReadGapMs[0], r.longestReadGapMs[1], r.feederLateMs, r.load.c_str());
    if (!r.shownAll)
      std::printf("       %llu bytes shown wrong or out of order, %llu not shown\n",
                  static_cast<unsigned long long>(r.wrong), static_cast<unsigned long long>(r.unshown));
  }
  std::printf("  runs in which a line refused bytes: %d of %zu; longest gap between reads %.1f ms\n", refusing,
              report.feederRuns.size(), longest);
}

void PrintReport(const Report& report, const Options& options) {
  // Offscreen unless the caller chose a platform (QT_QPA_PLATFORM=xcb under
  // xvfb-run draws on a real X server).
  const char* platform = std::getenv("QT_QPA_PLATFORM");
  std::printf("Kestrix whole-program benchmark: two panels on pseudo-terminal lines, window on Qt's %s platform\n",
              platform ? platform : "offscreen");
  std::printf("machine      %s\n", report.machine.c_str());
  std::printf("load average %s at start, %s at end\n", report.loadBefore.c_str(), report.loadAfter.c_str());
  if (!report.error.empty()) {
    std::printf("FAILED: %s\n", report.error.c_str());
    return;
  }
  if (!options.plain) {
    PrintFeeder(report, options);
    if (options.session) PrintSession(report, options);
    return;
  }
  std::printf("\nstart-up     process start to window shown %.3f s (from main() %.3f s)\n", report.sinceProcessStart,
              report.sinceMain);
  std::printf("memory       peak resident (VmHWM) %.1f MiB\n", report.peakKiB / 1024.0);

  const Spread& latency = report.latency;
  std::printf("\ndelivery latency, idle lines: one byte written at a random moment -> its text in the memo\n");
  std::printf(
      "  %zu samples  median %.1f ms  99th %.1f ms  max %.1f ms   aim: 99th <= %.0f ms (one %.0f ms tick): %s\n",
      latency.count, latency.median, latency.p99, latency.max, kLatencyAimMs, kTickMs,
      YesNo(latency.p99 <= kLatencyAimMs));
  std::printf("  timer tick interval, idle: mean %.2f ms  99th %.1f ms  max %.1f ms\n", report.idleTicks.mean,
              report.idleTicks.p99, report.idleTicks.max);

  std::printf("\nCPU, share of one core (process CPU by getrusage, less the benchmark's own thread and checks)\n");
  std::printf(
      "  both ports open, idle, %.0f s: %.2f%%, window thread %.2f%% (benchmark %.2f%%)   aim: under %.0f%%: %s\n",
      options.idleSeconds, report.idle.programPercent, report.idle.windowPercent, report.idle.benchPercent,
      kIdleCpuAimPercent, YesNo(report.idle.programPercent < kIdleCpuAimPercent));

  std::printf(
      "\nboth lines at once for %.0f s each, fed like real lines (bytes a line does not take when due are lost);\n",
      options.loadSeconds);
  std::printf(
      "bytes summed over both lines; tio on its own two lines with the same feed, its output read as a terminal\n");
  std::printf(
      "     rate  program       taken     lost    counted   in order  checked     CPU  aim       window  latency ms\n");
  std::printf(
      "   B/s/line                                 (R:)   (shown)                                     median  99th\n");
  for (const RateRun& run : report.runs) PrintRunRows(run);
  for (const RateRun& run : report.runs)
    std::printf("%.0f bytes/s per line at once: kestrix %s, tio %s\n", run.kestrix.rate,
                run.kestrix.Lossless() ? "lossless" : "LOSES BYTES",
                run.tio.ran ? (run.tio.Lossless() ? "lossless" : "LOSES BYTES") : "not run");
  PrintFeeder(report, options);
  if (options.session) PrintSession(report, options);
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
