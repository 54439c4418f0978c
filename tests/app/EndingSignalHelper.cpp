// The program as it starts, for tests that end it from outside: the window
// with its ports open, in a process of its own.
//
//   ending_signal_helper LOCK_FOLDER PORT... [--capture FILE] [--stuck]
//
// Lock files go to LOCK_FOLDER and only the ports folder of XDG_CONFIG_HOME
// is seen. Device 1's panel opens COM<first PORT>, device 2's the second;
// with --capture, device 1's panel captures to FILE; with --stuck, the
// window thread stops handling anything once ready. Dialogs are answered
// with their default button and written to standard output as
// "dialog: TEXT". SIGUSR1 quits as the user does: 退出 answered with OK.
// "ready" follows the opens; "closed" the window's close.
#include <signal.h>

#include <kestrix/platform_testing.h>
#include <toolkit/testing.h>
#include <toolkit/toolkit.h>

#include <atomic>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "PanelCapture.h"
#include "Unit1.h"

namespace {

void Say(const std::string& line) {
  std::printf("%s\n", line.c_str());
  std::fflush(stdout);
}

bool OpenPanel(int Index, const char* port) {
  TComboBox* box = Index == 0 ? Form1->ComboBox1 : Form1->ComboBox3;
  box->Text = String("COM") + port;
  (Index == 0 ? Form1->Button1 : Form1->Button6)->Click();
  return Form1->Channels[Index]._hComm != INVALID_HANDLE_VALUE;
}

std::atomic<bool> g_quit{false};

void ReportDialogsAndQuit(TObject*) {
  if (g_quit.exchange(false)) {
    QueueDialogAnswerForTesting(IDOK);
    Form1->Close();
  }
  for (const ShownDialog& dialog : ShownDialogsForTesting()) {
    std::string text = dialog.Text.Utf8();
    for (char& c : text)
      if (c == '\n') c = ' ';
    Say("dialog: " + text);
  }
  ClearShownDialogsForTesting();
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) return 2;
  SetUucpLockFolderForTesting(argv[1]);
  ExcludeSystemSerialDevicesForTesting(true);
  std::vector<const char*> ports;
  const char* capture = nullptr;
  bool stuck = false;
  for (int i = 2; i < argc; ++i) {
    if (std::strcmp(argv[i], "--capture") == 0 && i + 1 < argc)
      capture = argv[++i];
    else if (std::strcmp(argv[i], "--stuck") == 0)
      stuck = true;
    else
      ports.push_back(argv[i]);
  }
  Application->Initialize();
  AnswerDialogsForTesting(true);
  Application->Title = "Kestrix";
  Application->CreateForm(Form1);
  for (size_t index = 0; index < ports.size() && index < 2; ++index)
    if (!OpenPanel(static_cast<int>(index), ports[index])) {
      Say("cannot open COM" + std::string(ports[index]));
      return 1;
    }
  if (capture != nullptr) Form1->Panels[0]->Find<PanelCapture>()->Start(capture);
  TTimer* dialogs = new TTimer(Form1);  // the form owns it
  dialogs->Interval = 50;
  dialogs->OnTimer = ReportDialogsAndQuit;
  ::signal(SIGUSR1, [](int) { g_quit = true; });
  if (stuck) {
    // Ready only once the window thread is stuck, so that no signal's
    // message can be handled before it is.
    TTimer* stop = new TTimer(Form1);
    stop->Interval = 10;
    stop->OnTimer = [](TObject*) {
      Say("ready");
      for (;;) Sleep(1000);
    };
  } else {
    Say("ready");
  }
  Application->Run();
  Say("closed");
  return 0;
}
