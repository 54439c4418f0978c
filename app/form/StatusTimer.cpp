// The 100 ms tick: hands each open port's received bytes to the worker,
// refreshes the counter lines every third tick, the clock every tenth, and
// auto-sends by each panel's period.
#include <cstdio>

#include <TheWorkerThread.h>

#include "Unit1.h"

namespace {

// Both figures are at least six places wide and widen as they grow; they
// count on past 2^32.
String CounterLine(int Port, ULONGLONG Sent, ULONGLONG Received) {
  char line[80];
  std::snprintf(line, sizeof line, "COM%d: S:%6llu R:%6llu", Port, static_cast<unsigned long long>(Sent),
                static_cast<unsigned long long>(Received));
  return line;
}

}  // namespace

String TForm1::StatusLine(int Index, int Port) {
  if (PanelLost[Index]) return Fill(Tr("StatusBar", "COM%1: 已断开，等待重新连接…"), {IntToStr(Port)});
  return CounterLine(Port, PanelSentBytes[Index], Channels[Index]._dwDelivered.load()) + FileSends[Index]->Progress();
}

void TForm1::Timer1Timer(TObject*) {
  for (const std::vector<PanelFeature*>& features : Features)
    for (PanelFeature* feature : features) feature->Tick();
  for (const auto& [port, index] : PortToPanel) {
    // A panel waiting for its lost port has nothing to be handed and shows
    // a line that does not change: its ticks would only wake the worker.
    if (PanelLost[index]) continue;
    TheWorkerThread.AddItem(WorkerThread::InvokeObj, new WorkerThread::WorkItemObj{&Channels[index], nullptr});
    if (TimerTicks % 3 == 0) {
      StatusBar1->Panels->Items[index + 1]->Text = StatusLine(index, port);
      RefreshCounterHint(index);
    }
  }

  const int tick = TimerTicks++;
  if (tick % 10 == 0) StatusBar1->Panels->Items[0]->Text = DateTimeToStr(Now());

  // Each panel sends on the ticks that are multiples of its period (1 s
  // unless chosen otherwise).
  if (CheckBox1->Checked && Channels[0]._hComm != INVALID_HANDLE_VALUE && tick % SendOptions[0]->AutoPeriodTicks() == 0)
    Button2Click(Button2);
  if (CheckBox2->Checked && Channels[1]._hComm != INVALID_HANDLE_VALUE && tick % SendOptions[1]->AutoPeriodTicks() == 0)
    Button5Click(Button5);
}
