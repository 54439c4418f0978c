// Figures for the plotter: both panels open on pseudo-terminal lines, each
// with its plotter window open, while this program's own thread feeds each
// line 1,000 text lines a second of 8 named numbers ("a:12.345,b:..."):
//   - every line recorded: rows held against lines sent, and the rows the
//     CSV export writes;
//   - redraws a second of each plotter window, sampled every second;
//   - CPU of the whole program as a share of one core (the feeding thread's
//     own time left out), and its peak resident memory;
//   - the recording's bound: the heap of a recording of 8 series after its
//     limit of rows, and after as many again.
// Run it under Xvfb (xvfb-run -a plotter_bench) for a real X server;
// otherwise it uses Qt's offscreen platform. Not a test: run it by hand.
// --seconds N sets the feeding time (30 by default); --without-plotters
// feeds the same with the plotters closed.
#include <toolkit/toolkit.h>

#include <atomic>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "PanelPlotter.h"
#include "PlotterWindow.h"
#include "Unit1.h"
#include "app_bench/measures.h"
#include "far_end.h"
#include "ports_folder.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kLinesPerSecond = 1000;
constexpr int kStepMs = 10;

struct Figures {
  uint64_t sent[2] = {0, 0};
  uint64_t recorded[2] = {0, 0};
  uint64_t csvRows[2] = {0, 0};
  std::vector<int> redrawRates[2];
  double programCpuPercent = 0;
  long peakKiB = -1;
  std::string error;
};

// One text line of 8 named numbers for sample n of line `which`.
std::string TextLine(uint64_t n, int which) {
  char text[256];
  int length = 0;
  for (int series = 0; series < 8; ++series)
    length += std::snprintf(text + length, sizeof text - length, "%s%c:%.3f", series ? "," : "", 'a' + series,
                            100 * std::sin(0.01 * static_cast<double>(n) * (series + 1)) + which);
  return std::string(text, length) + "\r\n";
}

// Feeds both lines at kLinesPerSecond each for `seconds`, in steps of 10 ms;
// returns the thread's CPU seconds.
double Feed(serial_lines::FarEnd* const (&ends)[2], double seconds, Figures& figures) {
  const Clock::time_point start = Clock::now();
  const double cpuBefore = ThreadCpuSeconds();
  for (int step = 0; step < seconds * 1000 / kStepMs; ++step) {
    for (int which = 0; which < 2; ++which) {
      std::string burst;
      for (int i = 0; i < kLinesPerSecond * kStepMs / 1000; ++i) burst += TextLine(figures.sent[which]++, which);
      ends[which]->Send(burst);
    }
    std::this_thread::sleep_until(start + std::chrono::milliseconds(kStepMs * (step + 1)));
  }
  return ThreadCpuSeconds() - cpuBefore;
}

uint64_t CsvRows(PlotterWindow& window, int which) {
  const std::string path = "/tmp/plotter_bench_" + std::to_string(getpid()) + "_" + std::to_string(which) + ".csv";
  if (!window.ExportCsvTo(path.c_str())) return 0;
  std::ifstream file(path);
  uint64_t lines = 0;
  for (std::string line; std::getline(file, line);) ++lines;
  std::remove(path.c_str());
  return lines > 0 ? lines - 1 : 0;  // less the header
}

bool withPlotters = true;

// Opens both panels at 921600 baud and their plotters.
std::string OpenPanelsAndPlotters() {
  Form1->ComboBox2->Text = "921600";
  Form1->ComboBox4->Text = "921600";
  Form1->Button1->Click();
  Form1->Button6->Click();
  for (const ReadData& channel : Form1->Channels)
    if (channel._hComm == INVALID_HANDLE_VALUE) return "a port did not open";
  if (withPlotters)
    for (auto& panel : Form1->Panels) panel->Find<PanelPlotter>()->Open();
  return std::string();
}

void RunWindow(serial_lines::FarEnd* const (&ends)[2], double seconds, Figures& figures) {
  std::atomic<bool> fed{false};
  std::thread feeder;
  double feederCpu = 0, cpuStart = 0, wall = 0;
  int ticksAfterFeed = 0;
  Clock::time_point feedStart;
  TTimer each(nullptr);
  each.Interval = 1000;
  int ticks = 0;
  each.OnTimer = [&](TObject*) {
    if (ticks++ == 0) {
      figures.error = OpenPanelsAndPlotters();
      if (!figures.error.empty()) return Application->Terminate();
      cpuStart = ProcessCpuSeconds();
      feedStart = Clock::now();
      feeder = std::thread([&] {
        feederCpu = Feed(ends, seconds, figures);
        fed = true;
      });
      return;
    }
    if (!fed) {
      for (int which = 0; which < 2 && withPlotters; ++which)
        if (ticks > 2)
          figures.redrawRates[which].push_back(Form1->Panels[which]->Find<PanelPlotter>()->Window()->RedrawRate());
      return;
    }
    // The CPU is taken at the first tick after the last line; the rows are
    // counted once every line has been delivered, or after 5 s more.
    if (wall == 0) {
      wall = std::chrono::duration<double>(Clock::now() - feedStart).count();
      figures.programCpuPercent = 100 * (ProcessCpuSeconds() - cpuStart - feederCpu) / wall;
    }
    bool delivered = true;
    for (int which = 0; which < 2 && withPlotters; ++which)
      delivered &= Form1->Panels[which]->Find<PanelPlotter>()->Record().RowCount() >= figures.sent[which];
    if (!delivered && ++ticksAfterFeed < 5) return;
    for (int which = 0; which < 2 && withPlotters; ++which) {
      figures.recorded[which] = Form1->Panels[which]->Find<PanelPlotter>()->Record().RowCount();
      figures.csvRows[which] = CsvRows(*Form1->Panels[which]->Find<PanelPlotter>()->Window(), which);
    }
    Application->Terminate();
  };
  Application->Run();
  if (feeder.joinable()) feeder.join();
  figures.peakKiB = PeakResidentKiB();
}

void ShowRecordingBound() {
  PlotRecording recording;
  std::vector<PlotValue> values;
  for (char name = 'a'; name < 'a' + 8; ++name) values.push_back({std::string(1, name), 0});
  const long before = HeapInUseKiB();
  for (int round = 1; round <= 2; ++round) {
    for (size_t row = 0; row < recording.Limit(); ++row) {
      for (PlotValue& value : values) value.Value = static_cast<double>(row);
      recording.Add(static_cast<double>(row), values);
    }
    std::printf("recording of 8 series, %zu rows added: %llu held, heap %+ld KiB\n", round * recording.Limit(),
                static_cast<unsigned long long>(recording.RowCount()), HeapInUseKiB() - before);
  }
}

}  // namespace

int main(int argc, char** argv) {
  double seconds = 30;
  for (int i = 1; i < argc; ++i) {
    if (std::string(argv[i]) == "--seconds" && i + 1 < argc) seconds = std::atof(argv[++i]);
    // The same feed with the plotters closed: what the rest of the window
    // takes.
    if (std::string(argv[i]) == "--without-plotters") withPlotters = false;
  }
  if (!std::getenv("DISPLAY")) setenv("QT_QPA_PLATFORM", "offscreen", 0);
  std::printf("plotter_bench on %s, platform %s, load %s\n", MachineDescription().c_str(),
              std::getenv("QT_QPA_PLATFORM") ? std::getenv("QT_QPA_PLATFORM") : "xcb", LoadAverage().c_str());
  Figures figures;
  {
    serial_lines::PortsFolder folder;
    serial_lines::FarEnd one(folder, 1), two(folder, 2);
    serial_lines::FarEnd* const ends[2] = {&one, &two};
    Application->Initialize();
    Application->Title = "Kestrix";
    Application->CreateForm(Form1);
    RunWindow(ends, seconds, figures);
  }
  if (!figures.error.empty()) {
    std::printf("failed: %s\n", figures.error.c_str());
    return 1;
  }
  for (int which = 0; which < 2; ++which) {
    std::vector<int>& rates = figures.redrawRates[which];
    std::sort(rates.begin(), rates.end());
    std::printf(
        "panel %d: %llu lines sent, %llu rows recorded, %llu rows in the CSV; redraws a second min %d median %d\n",
        which + 1, static_cast<unsigned long long>(figures.sent[which]),
        static_cast<unsigned long long>(figures.recorded[which]),
        static_cast<unsigned long long>(figures.csvRows[which]), rates.empty() ? -1 : rates.front(),
        rates.empty() ? -1 : rates[rates.size() / 2]);
  }
  std::printf("program CPU %.1f%% of a core over %.0f s (feeding thread left out); peak resident %ld KiB\n",
              figures.programCpuPercent, seconds, figures.peakKiB);
  std::printf("load after: %s\n", LoadAverage().c_str());
  ShowRecordingBound();
  return 0;
}
