#include "MainWindowTest.h"

#include <cstring>

void MainWindowTest::SetUp() {
  SerialPortTest::SetUp();
  Application->Initialize();
  AnswerDialogsForTesting(true);
  ClearShownDialogsForTesting();
  PanelSentBytes[0] = PanelSentBytes[1] = 0;
  PanelPort[0] = PanelPort[1] = -1;
  TimerTicks = 0;
}

void MainWindowTest::TearDown() {
  delete form;
  form = nullptr;
  Form1 = nullptr;
  ProcessMessagesFor(10);
  SerialPortTest::TearDown();
}

TForm1* MainWindowTest::CreateWindow() {
  Application->CreateForm(form);
  Form1 = form;
  form->Timer1->Enabled = false;
  return form;
}

void MainWindowTest::Tick(int count) {
  for (int i = 0; i < count; ++i) form->Timer1Timer(form->Timer1);
}

bool MainWindowTest::TickUntil(const std::function<bool()>& condition, int timeoutMs) {
  const DWORD start = GetTickCount();
  while (!condition()) {
    if (GetTickCount() - start > static_cast<DWORD>(timeoutMs)) return false;
    Tick();
    ProcessMessagesFor(20);
  }
  return true;
}

void MainWindowTest::OpenPanel(int Index, int port) {
  TComboBox* box = Index == 0 ? form->ComboBox1 : form->ComboBox3;
  TButton* button = Index == 0 ? form->Button1 : form->Button6;
  box->Text = "COM" + IntToStr(port);
  button->Click();
}

void MainWindowTest::Post(int port, const std::string& bytes, const ReadData* channel, DWORD opening, bool last) {
  ASSERT_LE(bytes.size(), kReceiveBufferSize);
  auto* block = new ReceivedBlock{};
  block->pChannel = channel;
  block->dwOpening = opening;
  block->bLast = last;
  block->dwCount = static_cast<DWORD>(bytes.size());
  std::memcpy(block->Bytes, bytes.data(), bytes.size());
  form->Perform(kReceivedDataMessage, static_cast<WPARAM>(port), reinterpret_cast<LPARAM>(block));
}

TMenuItem* MainWindowTest::MenuItem(TControl* control, const std::string& caption) {
  TPopupMenu* menu = control->PopupMenu;
  if (menu == nullptr) return nullptr;
  for (int i = 0; i < menu->Items->Count; ++i) {
    TMenuItem* item = menu->Items->Items[i];
    if (item->Caption.Get().Utf8().rfind(caption, 0) == 0) return item;
  }
  return nullptr;
}

void MainWindowTest::Deliver(int port, const std::string& bytes, const ReadData* channel, DWORD opening, bool last) {
  Post(port, bytes, channel, opening, last);
  form->ShowReceivedText();
}
