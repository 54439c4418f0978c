#include "Unit1.h"

#include <TheWorkerThread.h>

#include <memory>

std::map<int, int> PortToPanel;
int PanelPort[2] = {-1, -1};
ULONGLONG PanelSentBytes[2] = {0, 0};
int TimerTicks = 0;

TForm1* Form1 = nullptr;

TForm1::TForm1(TComponent* Owner) : TForm(Owner) {
  CreateWidgets();
  BindPanels();
  CreateFeatures();
  PortToPanel.clear();
}

TForm1::~TForm1() {
  // No timer tick may queue work for the channels any more, no queued
  // delivery may run on them once they are gone, and blocks still on their
  // way to this window are released here.
  Timer1->Enabled = false;
  TheWorkerThread.WaitForQueuedItems();
  DestroyHandle();
}

void TForm1::Dispatch(TMessage& Message) {
  if (Message.Msg == kReceivedDataMessage)
    OnReceiveData(Message);
  else if (IsModemLineMessage(Message.Msg))
    OnModemLineEvent(Message);
  else if (Message.Msg == WM_DEVICECHANGE)
    OnDeviceChange(Message);
  else if (Message.Msg == kPortLostMessage)
    OnPortLost(Message);
  else if (Message.Msg == WM_ENDSESSION)
    OnEndSession(Message);
  else
    TForm::Dispatch(Message);
}

void TForm1::DropMessage(TMessage& Message) {
  if (Message.Msg != kReceivedDataMessage) {
    TForm::DropMessage(Message);
    return;
  }
  const std::unique_ptr<ReceivedBlock> block(reinterpret_cast<ReceivedBlock*>(Message.LParam));
  // The window goes before it could show the block (the last ones of a
  // close at exit): a capture still takes its bytes.
  if (block) Captures[PanelOf(*block, Message.WParam)]->Received(*block);
}
