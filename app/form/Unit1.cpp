#include "Unit1.h"

#include <TheWorkerThread.h>

#include "SavedFiles.h"

#include <memory>

std::map<int, int> PortToPanel;
int PanelPort[2] = {-1, -1};
ULONGLONG PanelSentBytes[2] = {0, 0};
int TimerTicks = 0;

TForm1* Form1 = nullptr;

TForm1::TForm1(TComponent* Owner) : TForm(Owner) {
  CreateWidgets();
  CreatePanels();
  CreateFeatures();
  CreateWindowChoices();
  PortToPanel.clear();
}

void TForm1::CreateWindowChoices() {
  Resizing = std::make_unique<ResizableWindow>(ResizableWindow::Parts{this, {GroupBox1, GroupBox2}});
  Colors = std::make_unique<ColorSchemeChoice>(ColorSchemeChoice::Parts{this, {GroupBox1, GroupBox2}});
  Settings->OnLoad = [this](TIniFile& Ini) {
    Resizing->LoadChoices(Ini, SettingsFile::kWindowSection);
    Colors->LoadChoices(Ini, SettingsFile::kWindowSection);
  };
  Settings->OnSave = [this](TIniFile& Ini) {
    Resizing->SaveChoices(Ini, SettingsFile::kWindowSection);
    Colors->SaveChoices(Ini, SettingsFile::kWindowSection);
  };
  Setups = std::make_unique<SavedSetups>(this, Panels, *Settings);
}

TForm1::~TForm1() {
  // No timer tick may queue work for the channels any more, no queued
  // delivery may run on them once they are gone, and blocks still on their
  // way to this window are released here.
  Timer1->Enabled = false;
  TheWorkerThread.WaitForQueuedItems();
  DestroyHandle();
  // Files still being written get their last bytes, unless a writer is
  // stuck (a pipe nobody reads).
  Panels[0].reset();
  Panels[1].reset();
  EndSavedFiles();
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
  // close at exit): the panel's features (a capture) still take its bytes.
  if (block) Panels[PanelOf(*block, Message.WParam)]->Received(*block, false);
}
