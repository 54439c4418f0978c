// Ports that come and go while the window runs: the lists follow, and a
// panel whose device is unplugged waits for it and opens it again.
#include <sys/file.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include <kestrix/platform_testing.h>

#include "MainWindowTest.h"

namespace {

using HotPlug = MainWindowTest;

const char kLostLine[] = "COM3: 已断开，等待重新连接…";

std::vector<std::string> ItemsOf(TComboBox* box) {
  std::vector<std::string> items;
  for (int i = 0; i < box->Items->Count; ++i) items.push_back(String(box->Items->Strings[i]).Utf8());
  return items;
}

String PanelText(TForm1* form, int index) { return form->StatusBar1->Panels->Items[index]->Text.Get(); }

TEST_F(HotPlug, PortsPluggedInAndRemovedShowInBothListsAndTheTextsStayAsTheUserLeftThem) {
  AddFarEnd(1);
  AddFarEnd(2);
  CreateWindow();
  form->ComboBox1->Text = "COM9";  // typed by the user, not (yet) a port
  ASSERT_EQ(form->ComboBox3->Text.Get(), String("COM2"));

  AddFarEnd(5);
  const std::vector<std::string> plugged = {"COM1", "COM2", "COM5"};
  EXPECT_TRUE(ProcessMessagesUntil([&] { return ItemsOf(form->ComboBox1) == plugged; }, 5000));
  EXPECT_EQ(ItemsOf(form->ComboBox3), plugged);
  EXPECT_EQ(form->ComboBox1->Text.Get(), String("COM9"));
  EXPECT_EQ(form->ComboBox3->Text.Get(), String("COM2"));

  RemoveLink(2);
  const std::vector<std::string> removed = {"COM1", "COM5"};
  EXPECT_TRUE(ProcessMessagesUntil([&] { return ItemsOf(form->ComboBox3) == removed; }, 5000));
  EXPECT_EQ(ItemsOf(form->ComboBox1), removed);
  EXPECT_EQ(form->ComboBox1->Text.Get(), String("COM9"));
  EXPECT_EQ(form->ComboBox3->Text.Get(), String("COM2")) << "the user's choice stays, though it is gone";
}

TEST_F(HotPlug, AnAnnouncedDeviceIsListedThoughNoLinkChanged) {
  CreateWindow();
  // COM6 leads through a link outside the ports folder that does not exist
  // yet: making it changes nothing the folder watch sees, as a device node
  // appearing does not.
  const std::string hidden = Folder() + "/hidden";
  ASSERT_EQ(symlink(hidden.c_str(), (Folder() + "/kestrix/ports/COM6").c_str()), 0);
  ProcessMessagesFor(400);
  ASSERT_EQ(form->ComboBox1->Items->Count.Get(), 0);
  ASSERT_EQ(symlink("/dev/null", hidden.c_str()), 0);

  SimulateDeviceEventForTesting();
  EXPECT_TRUE(ProcessMessagesUntil([&] { return ItemsOf(form->ComboBox1) == std::vector<std::string>{"COM6"}; }, 5000));
  EXPECT_EQ(ItemsOf(form->ComboBox3), std::vector<std::string>{"COM6"});
}

TEST_F(HotPlug, AnUnpluggedPortWaitsCountsNoSendsAndReconnectsWithItsTotals) {
  AddFarEnd(3);
  CreateWindow();
  form->ComboBox2->Text = "19200";
  OpenPanel(0, 3);
  form->Edit1->Text = "hi";
  form->Button2->Click();
  EXPECT_EQ(ReceiveAtFarEnd(3, 2), "hi");
  SendFromFarEnd(3, "before");
  // A hang-up discards what the terminal has not handed on yet.
  ASSERT_TRUE(WaitUntil([&] { return form->Channels[0]._dwBytesRead.load() == 6; }));
  HangUpFarEnd(3);

  ASSERT_TRUE(TickUntil([&] { return form->Channels[0]._hComm.load() == INVALID_HANDLE_VALUE; }));
  EXPECT_TRUE(TickUntil([&] { return MemoText(form->Memo1) == "before"; })) << "bytes before the loss are shown";
  EXPECT_EQ(PanelText(form, 1), String(kLostLine));
  EXPECT_EQ(form->Memo1->Color.Get(), clSilver);
  EXPECT_EQ(form->Button1->Caption.Get(), String("关闭"));
  EXPECT_FALSE(form->ComboBox2->Enabled.Get());
  EXPECT_EQ(PortToPanel, (std::map<int, int>{{3, 0}}));

  // Sends, by hand or automatic, do nothing and count nothing; the counter
  // refresh keeps the waiting line.
  form->Button2->Click();
  form->CheckBox1->Checked = true;
  TimerTicks = 30;
  Tick(4);
  EXPECT_EQ(PanelSentBytes[0], 2u);
  EXPECT_EQ(PanelText(form, 1), String(kLostLine));

  // The other panel cannot take the number while this one waits for it.
  OpenPanel(1, 3);
  ASSERT_EQ(Dialogs().size(), 1u);
  EXPECT_EQ(Dialogs()[0].Text.Utf8().rfind("不能打开 COM3", 0), 0u);
  EXPECT_EQ(form->Button6->Caption.Get(), String("打开"));
  EXPECT_EQ(PortToPanel, (std::map<int, int>{{3, 0}}));
  form->CheckBox1->Checked = false;

  // The same number comes back on a new device.
  RemoveLink(3);
  AddFarEnd(3);
  ASSERT_TRUE(ProcessMessagesUntil([&] { return form->Channels[0]._hComm.load() != INVALID_HANDLE_VALUE; }, 5000));
  EXPECT_EQ(form->Memo1->Color.Get(), clWindow);
  const termios line = FarEndSettings(3);
  EXPECT_EQ(cfgetospeed(&line), static_cast<speed_t>(B19200)) << "the same line settings";
  EXPECT_EQ(PanelText(form, 1), String("COM3: S:     2 R:     6"));

  SendFromFarEnd(3, "after");
  EXPECT_TRUE(TickUntil([&] { return MemoText(form->Memo1) == "beforeafter"; }));
  form->Edit1->Text = "ping";
  form->Button2->Click();
  EXPECT_EQ(ReceiveAtFarEnd(3, 4), "ping");
  TickToCounterRefresh();
  EXPECT_EQ(PanelText(form, 1), String("COM3: S:     6 R:    11"));
}

TEST_F(HotPlug, ClosingALostPortClosesThePanelAndItsReturnOpensNothing) {
  AddFarEnd(3);
  AddFarEnd(4);
  CreateWindow();
  OpenPanel(0, 3);
  OpenPanel(1, 4);
  HangUpFarEnd(3);
  ASSERT_TRUE(ProcessMessagesUntil([&] { return PanelText(form, 1) == String(kLostLine); }, 5000));

  form->Button1->Click();
  EXPECT_EQ(form->Button1->Caption.Get(), String("打开"));
  EXPECT_TRUE(form->ComboBox1->Enabled.Get());
  EXPECT_EQ(PortToPanel, (std::map<int, int>{{4, 1}})) << "the other panel's entry stays";
  EXPECT_EQ(PanelPort[0], -1);

  RemoveLink(3);
  AddFarEnd(3);
  EXPECT_TRUE(ProcessMessagesUntil([&] { return form->ComboBox1->Items->IndexOf("COM3") >= 0; }, 5000));
  ProcessMessagesFor(200);
  EXPECT_EQ(form->Channels[0]._hComm.load(), INVALID_HANDLE_VALUE);
  EXPECT_EQ(form->Button1->Caption.Get(), String("打开"));

  // Free again for either panel.
  OpenPanel(0, 3);
  EXPECT_EQ(PortToPanel, (std::map<int, int>{{3, 0}, {4, 1}}));
}

// DTR and RTS as the reopened port drives them, as "DTR RTS" with 1 for high.
std::string ControlLines(HANDLE port) {
  BOOL dtr = FALSE, rts = FALSE;
  if (!SetModemLinesForTesting(port, 0) || !GetControlLinesForTesting(port, &dtr, &rts)) return "unknown";
  return std::string(dtr ? "1" : "0") + " " + (rts ? "1" : "0");
}

TEST_F(HotPlug, AReconnectDrivesDtrAndRtsAsThePanelChoseThem) {
  AddFarEnd(3);
  CreateWindow();
  OpenPanel(0, 3);
  FeatureOf<PanelModemLines>(0).SetDtr(false);
  HangUpFarEnd(3);
  ASSERT_TRUE(ProcessMessagesUntil([&] { return PanelText(form, 1) == String(kLostLine); }, 5000));
  RemoveLink(3);
  AddFarEnd(3);
  ASSERT_TRUE(ProcessMessagesUntil([&] { return form->Channels[0]._hComm.load() != INVALID_HANDLE_VALUE; }, 5000));
  EXPECT_EQ(ControlLines(form->Channels[0]._hComm), "0 1") << "a replug must not raise a DTR the panel has off";

  // And the other way round, on the next replug.
  FeatureOf<PanelModemLines>(0).SetDtr(true);
  FeatureOf<PanelModemLines>(0).SetRts(false);
  HangUpFarEnd(3);
  ASSERT_TRUE(ProcessMessagesUntil([&] { return PanelText(form, 1) == String(kLostLine); }, 5000));
  RemoveLink(3);
  AddFarEnd(3);
  ASSERT_TRUE(ProcessMessagesUntil([&] { return form->Channels[0]._hComm.load() != INVALID_HANDLE_VALUE; }, 5000));
  EXPECT_EQ(ControlLines(form->Channels[0]._hComm), "1 0");
}

TEST_F(HotPlug, APortBackButBusyIsTriedAgainUntilItIsFree) {
  AddFarEnd(3);
  CreateWindow();
  OpenPanel(0, 3);
  HangUpFarEnd(3);
  ASSERT_TRUE(ProcessMessagesUntil([&] { return PanelText(form, 1) == String(kLostLine); }, 5000));

  // The device comes back, held by another program for 2 s (as
  // ModemManager's probe of a new port holds it).
  RemoveLink(3);
  AddFarEnd(3);
  ASSERT_EQ(flock(FarEndTerminal(3), LOCK_EX | LOCK_NB), 0);
  ASSERT_TRUE(ProcessMessagesUntil([&] { return form->ComboBox1->Items->IndexOf("COM3") >= 0; }, 5000));
  ProcessMessagesFor(2000);
  EXPECT_EQ(form->Channels[0]._hComm.load(), INVALID_HANDLE_VALUE);
  EXPECT_EQ(PanelText(form, 1), String(kLostLine)) << "still waiting";
  ASSERT_EQ(flock(FarEndTerminal(3), LOCK_UN), 0);

  ASSERT_TRUE(ProcessMessagesUntil([&] { return form->Channels[0]._hComm.load() != INVALID_HANDLE_VALUE; }, 10000))
      << "a port free again is opened without a device change";
  EXPECT_EQ(form->Memo1->Color.Get(), clWindow);
  EXPECT_EQ(PanelText(form, 1), String("COM3: S:     0 R:     0"));
}

TEST_F(HotPlug, ClosingAPanelWhoseBusyPortIsTriedAgainStopsTheTries) {
  AddFarEnd(3);
  CreateWindow();
  OpenPanel(0, 3);
  HangUpFarEnd(3);
  ASSERT_TRUE(ProcessMessagesUntil([&] { return PanelText(form, 1) == String(kLostLine); }, 5000));
  RemoveLink(3);
  AddFarEnd(3);
  ASSERT_EQ(flock(FarEndTerminal(3), LOCK_EX | LOCK_NB), 0);
  ASSERT_TRUE(ProcessMessagesUntil([&] { return form->ComboBox1->Items->IndexOf("COM3") >= 0; }, 5000));
  ProcessMessagesFor(300);

  form->Button1->Click();
  EXPECT_EQ(form->Button1->Caption.Get(), String("打开"));
  ASSERT_EQ(flock(FarEndTerminal(3), LOCK_UN), 0);
  ProcessMessagesFor(2500);
  EXPECT_EQ(form->Channels[0]._hComm.load(), INVALID_HANDLE_VALUE) << "a closed panel opens nothing";
}

// How often the threads of this process other than the window's have gone
// to sleep and woken.
long long OtherThreadsWakeups() {
  long long wakeups = 0;
  std::error_code error;
  for (const auto& task : std::filesystem::directory_iterator("/proc/self/task", error)) {
    if (task.path().filename() == std::to_string(getpid())) continue;
    std::ifstream status(task.path() / "status");
    std::string line;
    while (std::getline(status, line))
      if (line.rfind("voluntary_ctxt_switches:", 0) == 0) wakeups += std::stoll(line.substr(24));
  }
  return wakeups;
}

TEST_F(HotPlug, APanelWaitingForItsPortWakesNoOtherThreadAtItsTicks) {
  AddFarEnd(3);
  CreateWindow();
  OpenPanel(0, 3);
  HangUpFarEnd(3);
  ASSERT_TRUE(ProcessMessagesUntil([&] { return PanelText(form, 1) == String(kLostLine); }, 5000));
  ProcessMessagesFor(300);  // the loss's own work is done

  // Thirty ticks: the port's threads, the worker and the device watch stay
  // asleep (a few wake-ups are left for what the machine does).
  const long long before = OtherThreadsWakeups();
  TimerTicks = 0;
  for (int tick = 0; tick < 30; ++tick) {
    Tick();
    // Time for the worker to take what a tick handed it, as ticks 100 ms
    // apart give it (a fence item would wake it too).
    ProcessMessagesFor(20);
  }
  EXPECT_LE(OtherThreadsWakeups() - before, 5);
  EXPECT_EQ(PanelText(form, 1), String(kLostLine));
}

}  // namespace
