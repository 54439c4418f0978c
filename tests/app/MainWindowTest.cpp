#include "MainWindowTest.h"

#include <cstring>

namespace {

// Line settings the window refuses to open a port with, and the cause its
// message names.
const struct {
  const char* baud;
  const char* parity;
  const char* dataBits;
  const char* stopBits;
  const char* cause;
} kRefusedLineSettings[] = {
    {"115,200", "N (无)", "8", "1", "波特率 115,200"},
    {"0", "N (无)", "8", "1", "波特率 0"},
    {"-9600", "N (无)", "8", "1", "波特率 -9600"},
    {"99999999999", "N (无)", "8", "1", "波特率 99999999999"},
    {"", "N (无)", "8", "1", "波特率 "},
    {"9600", "无", "8", "1", "校验位 无"},
    {"9600", "", "8", "1", "校验位 "},
    {"9600", "N (无)", "9", "1", "数据位 9"},
    {"9600", "N (无)", "8", "3", "停止位 3"},
    {"9600", "N (无)", "8", "1.5", "数据位 8、校验位 N (无)、停止位 1.5 的组合"},
    {"9600", "N (无)", "5", "2", "数据位 5、校验位 N (无)、停止位 2 的组合"},
};

}  // namespace

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

void MainWindowTest::OpenWithEachRefusedSetting(const std::function<void()>& afterEach) {
  AddFarEnd(1);
  CreateWindow();
  for (const auto& settings : kRefusedLineSettings) {
    SCOPED_TRACE(settings.cause);
    form->ComboBox2->Text = settings.baud;
    form->ComboBox5->Text = settings.parity;
    form->ComboBox6->Text = settings.dataBits;
    form->ComboBox7->Text = settings.stopBits;
    const size_t shown = Dialogs().size();
    OpenPanel(0, 1);
    ASSERT_EQ(Dialogs().size(), shown + 1);
    EXPECT_EQ(Dialogs().back().Text, String("不能打开 COM1\n线路设置被拒绝：") + settings.cause);
    EXPECT_EQ(form->Channels[0]._hComm.load(), INVALID_HANDLE_VALUE);
    EXPECT_EQ(form->Button1->Caption.Get(), String("打开"));
    if (afterEach) afterEach();
  }
}

void MainWindowTest::OpenCom1InBothPanels() {
  AddFarEnd(1);
  CreateWindow();
  OpenPanel(0, 1);
  OpenPanel(1, 1);
  ASSERT_EQ(Dialogs().size(), 1u);
  EXPECT_EQ(Dialogs()[0].Text, String("不能打开 COM1\n串口已在本程序的另一个面板中打开。"));
  EXPECT_EQ(form->Button6->Caption.Get(), String("打开"));
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

std::vector<std::string> MainWindowTest::MisplacedControls(TForm1* form) {
  std::vector<std::string> misplaced;
  const auto note = [&](const String& name, const std::string& what, const TControl* c) {
    misplaced.push_back(name.Utf8() + " " + what + " at " + std::to_string(c->Left) + "," + std::to_string(c->Top) +
                        " " + std::to_string(c->Width) + "x" + std::to_string(c->Height));
  };
  const int clientWidth = form->ClientWidth, clientHeight = form->ClientHeight;
  TStatusBar* bar = form->StatusBar1;
  if (bar->Top + bar->Height != clientHeight || bar->Width != clientWidth) note(bar->Name, "not along the bottom", bar);
  for (TGroupBox* panel : {form->GroupBox1, form->GroupBox2}) {
    if (panel->Left < 0 || panel->Top < form->Image1->Top + form->Image1->Height - 5 ||
        panel->Left + panel->Width > clientWidth || panel->Top + panel->Height > bar->Top)
      note(panel->Name, "outside the window", panel);
    for (int i = 0; i < panel->ControlCount; ++i) {
      TControl* c = panel->Controls[i];
      if (!c->Visible) continue;
      if (c->Left < 0 || c->Top < 0 || c->Width <= 0 || c->Height <= 0 || c->Left + c->Width > panel->Width ||
          c->Top + c->Height > panel->Height)
        note(panel->Name + "." + c->Name, "outside its panel", c);
    }
  }
  if (form->GroupBox1->Top + form->GroupBox1->Height > form->GroupBox2->Top)
    note(form->GroupBox1->Name, "over the other panel", form->GroupBox1);
  return misplaced;
}

void MainWindowTest::Deliver(int port, const std::string& bytes, const ReadData* channel, DWORD opening, bool last) {
  Post(port, bytes, channel, opening, last);
  form->ShowReceivedText();
}
