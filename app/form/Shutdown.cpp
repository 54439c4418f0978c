// Closing the window: asked first, then timer, worker and ports stop in
// order. When the session ends the same steps run unasked.
#include <TheWorkerThread.h>

#include "Unit1.h"

void TForm1::OnEndSession(TMessage& Message) {
  Message.Result = 0;
  if (!Message.WParam) return;  // the end was called off
  // A session end is not a user's click: there is nobody to answer the
  // question, and the program must go within moments.
  SessionEnding = true;
  Close();
}

void TForm1::FormClose(TObject*, TCloseAction& Action) {
  if (!SessionEnding) {
    const int answer = Application->MessageBox(Tr("Shutdown", "确定要退出吗？"), Tr("Shutdown", "退出程序"),
                                               MB_OKCANCEL | MB_ICONEXCLAMATION | MB_DEFBUTTON2);
    if (answer == IDCANCEL) {
      Action = caNone;
      return;
    }
    if (answer != IDOK) return;
  }

  Settings->Save();
  Timer1->Enabled = false;
  SetEvent(TheWorkerThread._hExitEvent);
  // The worker still runs the deliveries queued before it saw the exit
  // event; they use the channels, which go with this window, so wait for it
  // to end rather than for a fixed time.
  WaitForSingleObject(TheWorkerThread._hThread, INFINITE);
  for (const std::unique_ptr<DevicePanel>& panel : Panels) panel->EndPortWork(PortCloseReason::Exit);
  if (!PortToPanel.empty()) PortToPanel.clear();
}
