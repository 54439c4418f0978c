// The 100 ms tick: the panels' ticks, saved files whose writing ended,
// each open port's received bytes handed to the worker, the counter lines every third tick, the clock every
// tenth, and auto-sends by each panel's period.
#include <TheWorkerThread.h>

#include "SavedFiles.h"
#include "Unit1.h"

void TForm1::Timer1Timer(TObject*) {
  for (const std::unique_ptr<DevicePanel>& panel : Panels) panel->Tick();
  CollectSavedFiles();
  for (const auto& [port, index] : PortToPanel) {
    // A panel waiting for its lost port has nothing to be handed and shows
    // a line that does not change: its ticks would only wake the worker.
    if (Panels[index]->Lost()) continue;
    TheWorkerThread.AddItem(WorkerThread::InvokeObj, new WorkerThread::WorkItemObj{&Channels[index], nullptr});
    if (TimerTicks % 3 == 0) Panels[index]->ShowCounter(port);
  }

  const int tick = TimerTicks++;
  if (tick % 10 == 0) StatusBar1->Panels->Items[0]->Text = DateTimeToStr(Now());

  // Each panel sends on the ticks that are multiples of its period (1 s
  // unless chosen otherwise).
  if (CheckBox1->Checked && Channels[0]._hComm != INVALID_HANDLE_VALUE && tick % Panels[0]->AutoPeriodTicks == 0)
    Button2Click(Button2);
  if (CheckBox2->Checked && Channels[1]._hComm != INVALID_HANDLE_VALUE && tick % Panels[1]->AutoPeriodTicks == 0)
    Button5Click(Button5);
}
