#include "bench_window.h"

#include <toolkit/testing.h>
#include <toolkit/toolkit.h>

#include <cstdlib>
#include <future>
#include <thread>

#include "esp_log_feed.h"
#include "ports_folder.h"

namespace {

std::string DialogsShown() {
  std::string shown;
  for (const ShownDialog& dialog : ShownDialogsForTesting()) shown += "dialog: " + dialog.Text.Utf8() + "; ";
  return shown;
}

// Presses a panel's open/close button when its caption asks for `action`.
void Press(TButton* button, const char* action) {
  if (button->Caption == action) button->Click();
}

}  // namespace

void RunWithWindow(const std::function<void()>& shown, const std::function<void(const Lines&)>& body) {
  setenv("QT_QPA_PLATFORM", "offscreen", 0);  // unless one was chosen
  serial_lines::PortsFolder folder;
  serial_lines::PatternFarEnd lineOne(folder, 1);
  serial_lines::PatternFarEnd lineTwo(folder, 2);
  EspLogFarEnd logOne(folder, 3);
  EspLogFarEnd logTwo(folder, 4);

  Application->Initialize();
  Application->Title = "Kestrix";
  AnswerDialogsForTesting(true);  // a port that fails to open must not wait for a person
  WatchedForm* form = nullptr;
  Application->CreateForm(form);
  Form1 = form;
  const HWND window = form->Handle;
  const Lines lines{{&lineOne, &lineTwo}, form, {&logOne, &logTwo}};

  std::promise<void> started;
  std::future<void> startedFuture = started.get_future();
  const std::function<void()> noteShown = [&] {
    if (shown) shown();
    started.set_value();
  };
  WatchedForm::PostToWindowThread(window, &noteShown);

  std::thread bench([&] {
    startedFuture.wait();
    body(lines);
    WatchedForm::RunOnWindowThread(window, [] { Application->Terminate(); });
  });
  Application->Run();
  bench.join();
}

std::string OpenBothPanels(WatchedForm& form, const char* baud) {
  std::string error;
  WatchedForm::RunOnWindowThread(form.Handle, [&] {
    if (form.ComboBox1->Text.Get() != "COM1" || form.ComboBox3->Text.Get() != "COM2")
      error = "the window does not offer COM1 and COM2 first";
  });
  return error.empty() ? OpenPanelsOn(form, "COM1", "COM2", baud) : error;
}

std::string OpenPanelsOn(WatchedForm& form, const char* portOne, const char* portTwo, const char* baud) {
  std::string error;
  WatchedForm::RunOnWindowThread(form.Handle, [&] {
    ClearShownDialogsForTesting();
    form.ComboBox1->Text = portOne;
    form.ComboBox3->Text = portTwo;
    form.ComboBox2->Text = baud;
    form.ComboBox4->Text = baud;
    Press(form.Button1, "打开");
    Press(form.Button6, "打开");
    error += DialogsShown();
    for (const ReadData& channel : form.Channels)
      if (channel._hComm == INVALID_HANDLE_VALUE) error += "a port did not open; ";
  });
  return error;
}

std::string CloseBothPanels(WatchedForm& form) {
  std::string error;
  WatchedForm::RunOnWindowThread(form.Handle, [&] {
    ClearShownDialogsForTesting();
    Press(form.Button1, "关闭");
    Press(form.Button6, "关闭");
    error += DialogsShown();
    for (const ReadData& channel : form.Channels)
      if (channel._hComm != INVALID_HANDLE_VALUE) error += "a port did not close; ";
  });
  return error;
}
