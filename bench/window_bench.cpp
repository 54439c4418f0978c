// Figures for the window kept open all day. Both panels keep the whole
// session in terminal colours and UTF-8 while both log lines send 92,160
// bytes/s each (921600 baud), first in the designed window with the classic
// colours, then maximised with the dark ones: bytes lost, every line shown,
// the program's CPU in each and their ratio (aim: maximised within 1.3
// times). Then, with 64 MiB kept, a resize of the window and a zoom step of a
// receive area, each to the view drawn again (aim: under 50 ms).
//
// Maximised means the screen's size: run it on an X server of the size
// wanted, e.g.
//   QT_QPA_PLATFORM=xcb xvfb-run -s "-screen 0 1920x1080x24" build/bench/window_bench
// Not a test: run it by hand. --quick runs the loads for 10 s each.
#include <toolkit/testing.h>

#include <QGuiApplication>
#include <QScreen>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>

#include "PanelAppearance.h"
#include "PanelWholeSession.h"
#include "app_bench/bench_window.h"
#include "app_bench/measures.h"
#include "app_bench/runs.h"
#include "app_bench/session_runs.h"

namespace {

using std::chrono::milliseconds;

constexpr double kRate = 92160;
constexpr double kCpuRatioAim = 1.3;
constexpr double kDrawAimMs = 50;
constexpr double kFillRate = 3000000;
constexpr int kRounds = 10;

const char* YesNo(bool value) { return value ? "yes" : "NO"; }

struct Figures {
  std::string error;
  SessionLoadResult designed, maximised;
  int designedWidth = 0, designedHeight = 0, maximisedWidth = 0, maximisedHeight = 0;
  bool maximisedByWindowManager = false;
  uint64_t kept = 0;
  Spread resize, zoom;
};

// Maximises the resizable window in the dark colours. Without a window
// manager to maximise it, the window is given the screen's size.
void MaximiseInTheDark(const Lines& lines, Figures& figures) {
  WatchedForm& form = *lines.form;
  WatchedForm::RunOnWindowThread(form.Handle, [&] {
    figures.designedWidth = form.ClientWidth;
    figures.designedHeight = form.ClientHeight;
    form.Colors->Set(csDark);
    form.Resizing->Set(true);
    form.WindowState = wsMaximized;
  });
  std::this_thread::sleep_for(std::chrono::seconds(1));
  WatchedForm::RunOnWindowThread(form.Handle, [&] {
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    figures.maximisedByWindowManager = form.Width >= screen.width() - 16;
    if (!figures.maximisedByWindowManager) {
      form.WindowState = wsNormal;
      form.SetBounds(screen.left(), screen.top(), screen.width(), screen.height());
      ProcessMessagesFor(200);
    }
    figures.maximisedWidth = form.ClientWidth;
    figures.maximisedHeight = form.ClientHeight;
  });
}

// The time from a change on the window's thread to panel 1's view drawn
// again, `kRounds` times.
Spread TimeToDrawn(const Lines& lines, const std::function<void(int round)>& change,
                   const std::function<bool()>& settled) {
  std::vector<double> times;
  for (int round = 0; round < kRounds; ++round) {
    WatchedForm::RunOnWindowThread(lines.form->Handle, [&] {
      const Clock::time_point start = Clock::now();
      change(round);
      ProcessMessagesUntil(settled, 2000);
      RepaintForTesting(ViewOf(lines, 0));
      times.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
    });
    std::this_thread::sleep_for(milliseconds(100));
  }
  return SpreadOf(times);
}

void Run(const Lines& lines, double seconds, int keptMiB, Figures& figures) {
  figures.error = StartSession(lines, "921600");
  if (!figures.error.empty()) return;
  std::this_thread::sleep_for(std::chrono::seconds(1));
  // The first load pays once for what the process sets up on first use
  // (seen as several per cent more CPU outside the window's thread); it is
  // not measured, so that both sizes are measured alike.
  std::fprintf(stderr, "warming up, %.0f bytes/s per line for 5 s...\n", kRate);
  RunSessionLoad(lines, kRate, 5, milliseconds(10));
  std::fprintf(stderr, "designed window, classic colours, %.0f bytes/s per line for %.0f s...\n", kRate, seconds);
  figures.designed = RunSessionLoad(lines, kRate, seconds, milliseconds(10));
  MaximiseInTheDark(lines, figures);
  std::fprintf(stderr, "maximised, dark colours, %.0f bytes/s per line for %.0f s...\n", kRate, seconds);
  figures.maximised = RunSessionLoad(lines, kRate, seconds, milliseconds(10));

  figures.error = SetSessionLimit(lines, keptMiB);
  if (!figures.error.empty()) return;
  // Each line sends a little more than its half: the views keep the text
  // without the escape sequences the log's colours take.
  const uint64_t each = static_cast<uint64_t>(keptMiB) * 1024 * 1024 * 6 / 10;
  std::fprintf(stderr, "filling the views to %d MiB kept...\n", keptMiB);
  FillSession(lines, kFillRate, each);
  WatchedForm& form = *lines.form;
  WatchedForm::RunOnWindowThread(form.Handle, [&] {
    for (int i = 0; i < 2; ++i) figures.kept += ViewOf(lines, i)->KeptBytes();
  });

  // Between the screen's size and a smaller one, each drawn.
  const int wide = figures.maximisedWidth, high = figures.maximisedHeight;
  int wanted = 0;
  figures.resize = TimeToDrawn(
      lines,
      [&](int round) {
        form.WindowState = wsNormal;
        wanted = round % 2 == 0 ? wide - 400 : wide;
        form.ClientWidth = wanted;
        form.ClientHeight = round % 2 == 0 ? high - 300 : high;
      },
      [&] { return form.ClientWidth.Get() == wanted; });
  PanelAppearance& appearance = *form.Panels[0]->Find<PanelAppearance>();
  figures.zoom = TimeToDrawn(
      lines, [&](int round) { appearance.Zoom(round % 2 == 0 ? 1 : -1); }, [] { return true; });
}

void Print(const Figures& f, double seconds, int keptMiB) {
  const char* platform = std::getenv("QT_QPA_PLATFORM");
  std::printf("Kestrix window benchmark: the whole session kept on both panels, window on Qt's %s platform\n",
              platform ? platform : "offscreen");
  std::printf("machine      %s\n", MachineDescription().c_str());
  if (!f.error.empty()) {
    std::printf("FAILED: %s\n", f.error.c_str());
    return;
  }
  std::printf("\nboth log lines at %.0f bytes/s each for %.0f s, terminal colours and UTF-8 on both panels\n", kRate,
              seconds);
  const auto row = [](const char* what, int w, int h, const SessionLoadResult& r) {
    std::printf("  %-34s %4dx%-4d  taken %9llu  lost %llu  all shown %-3s  CPU %6.2f%% (window thread %.2f%%)\n", what,
                w, h, static_cast<unsigned long long>(r.taken), static_cast<unsigned long long>(r.lost),
                YesNo(r.shownAll), r.cpu.programPercent, r.cpu.windowPercent);
    if (!r.shownAll) std::printf("    %s\n", r.mismatch.c_str());
  };
  row("designed size, classic colours", f.designedWidth, f.designedHeight, f.designed);
  row(f.maximisedByWindowManager ? "maximised, dark colours" : "screen-sized (no window manager), dark",
      f.maximisedWidth, f.maximisedHeight, f.maximised);
  const double ratio =
      f.designed.cpu.programPercent > 0 ? f.maximised.cpu.programPercent / f.designed.cpu.programPercent : 0;
  const double windowRatio =
      f.designed.cpu.windowPercent > 0 ? f.maximised.cpu.windowPercent / f.designed.cpu.windowPercent : 0;
  std::printf("  CPU maximised / designed: %.2f (window thread %.2f)   aim: within %.1f: %s; none lost: %s\n", ratio,
              windowRatio, kCpuRatioAim, YesNo(ratio > 0 && ratio <= kCpuRatioAim),
              YesNo(f.designed.Lossless() && f.maximised.Lossless()));
  std::printf("\nwith %.1f MiB kept in the views (aim %d MiB), %d times each:\n",
              static_cast<double>(f.kept) / (1024 * 1024), keptMiB, kRounds);
  const auto times = [](const char* what, const Spread& s) {
    std::printf("  %-44s median %6.1f ms  max %6.1f ms   aim: under %.0f ms: %s\n", what, s.median, s.max, kDrawAimMs,
                YesNo(s.count > 0 && s.max < kDrawAimMs));
  };
  times("a resize of the window to its view drawn", f.resize);
  times("a zoom step of receive area 1 to it drawn", f.zoom);
}

}  // namespace

int main(int argc, char** argv) {
  double seconds = 60;
  int keptMiB = 64;
  for (int i = 1; i < argc; ++i) {
    const std::string argument = argv[i];
    if (argument == "--quick") {
      seconds = 10;
    } else if (argument.rfind("--seconds=", 0) == 0) {
      seconds = std::atof(argument.c_str() + 10);
    } else if (argument.rfind("--kept-mib=", 0) == 0) {
      keptMiB = std::atoi(argument.c_str() + 11);
    } else {
      std::fprintf(stderr, "usage: window_bench [--quick] [--seconds=S] [--kept-mib=M]\n");
      return 2;
    }
  }
  if (seconds <= 0 || keptMiB < 1) return 2;
  Figures figures;
  RunWithWindow([] {}, [&](const Lines& lines) { Run(lines, seconds, keptMiB, figures); });
  Print(figures, seconds, keptMiB);
  std::fflush(stdout);
  return figures.error.empty() ? 0 : 1;
}
