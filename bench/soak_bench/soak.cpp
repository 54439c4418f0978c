#include "soak.h"

#include <cstdio>
#include <thread>

#include "../app_bench/bench_window.h"
#include "panel_senders.h"

namespace {

using std::chrono::milliseconds;

// The status bar shows the counters every third 100 ms tick.
const milliseconds kCounterRefresh{400};
const milliseconds kArrivalTimeout{10000};

void ReportProgress(const Lines& lines, Clock::time_point start) {
  const double minutes = std::chrono::duration<double>(Clock::now() - start).count() / 60;
  std::fprintf(stderr, "%5.1f min: line 1 %llu shown, %llu arrived; line 2 %llu shown, %llu arrived; RSS %.1f MiB\n",
               minutes, static_cast<unsigned long long>(lines.form->Watch[0].shown.load()),
               static_cast<unsigned long long>(lines.ends[0]->Received()),
               static_cast<unsigned long long>(lines.form->Watch[1].shown.load()),
               static_cast<unsigned long long>(lines.ends[1]->Received()), ResidentKiB() / 1024.0);
}

}  // namespace

SoakResult RunSoak(const Lines& lines, double rate, double minutes) {
  SoakResult result;
  result.rate = rate;
  result.error = OpenBothPanels(*lines.form, "115200");
  if (!result.error.empty()) return result;
  std::this_thread::sleep_for(std::chrono::seconds(1));  // let start-up work settle
  result.residentStartKiB = ResidentKiB();

  PanelSenders senders(lines, rate);
  const Clock::time_point start = Clock::now();
  Clock::time_point nextReport = start + std::chrono::minutes(1);
  result.load = RunLoad(lines, rate, minutes * 60, [&] {
    senders.Step();
    if (Clock::now() < nextReport) return;
    ReportProgress(lines, start);
    nextReport += std::chrono::minutes(1);
  });
  result.arrived = senders.WaitUntilArrived(kArrivalTimeout);
  std::this_thread::sleep_for(kCounterRefresh);
  result.residentEndKiB = ResidentKiB();

  for (int i = 0; i < 2; ++i) {
    SoakLine& line = result.lines[i];
    line.farEndWrote = lines.ends[i]->Written();
    line.shown = lines.form->Watch[i].shown;
    line.offered = senders.Offered(i);
    line.farEndReceived = lines.ends[i]->Received();
    line.farEndWrong = lines.ends[i]->ReceivedWrong();
    line.countersRead = ReadCounterLine(*lines.form, i, line.counterSent, line.counterReceived);
  }
  const std::string closing = CloseBothPanels(*lines.form);
  if (!closing.empty()) result.error = closing;
  return result;
}
