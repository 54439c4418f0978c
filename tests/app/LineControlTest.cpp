// Line control of a panel: flow control read back from the line's terminal
// settings and its rule with the RTS choice, a break reaching the platform
// (a pseudo-terminal takes a break without showing it to its far end, so
// the platform's test seam tells what the port was asked), and paced
// sends: never faster than their pauses, off the window's thread, counted
// in S: as the port takes them.
#include <kestrix/platform_testing.h>

#include <chrono>

#include "LinkRowText.h"
#include "MainWindowTest.h"

namespace {

using Clock = std::chrono::steady_clock;

class LineControl : public MainWindowTest {
 protected:
  void SetUp() override {
    MainWindowTest::SetUp();
    AddFarEnd(1);
    CreateWindow();
  }
  void Open() {
    OpenPanel(0, 1);
    ASSERT_NE(form->Channels[0]._hComm.load(), INVALID_HANDLE_VALUE);
  }
  PanelLineControl& Control() { return FeatureOf<PanelLineControl>(0); }
  void Send(const char* text) {
    form->Edit1->Text = text;
    form->Button2->Click();
  }
  struct BreakState {
    BOOL on = FALSE;
    DWORD started = 0;
  };
  BreakState Break() {
    BreakState state;
    EXPECT_TRUE(GetBreakStateForTesting(form->Channels[0]._hComm, &state.on, &state.started));
    return state;
  }
  bool RtsHigh() {
    BOOL dtr = FALSE, rts = FALSE;
    EXPECT_TRUE(GetControlLinesForTesting(form->Channels[0]._hComm, &dtr, &rts));
    return rts != FALSE;
  }
  static long long MsSince(Clock::time_point start) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
  }
};

TEST_F(LineControl, FlowControlReachesTheLineAtOnceAndAtEveryOpenAndIsRemembered) {
  MenuItem(form->GroupBox1, "流控")->Items[static_cast<int>(FlowControl::XonXoff)]->Click();
  Open();
  termios line = FarEndSettings(1);
  EXPECT_EQ(line.c_iflag & (IXON | IXOFF), static_cast<tcflag_t>(IXON | IXOFF)) << "applied at the open";
  EXPECT_EQ(line.c_cflag & CRTSCTS, 0u);

  Control().SetFlowControl(FlowControl::RtsCts);
  line = FarEndSettings(1);
  EXPECT_NE(line.c_cflag & CRTSCTS, 0u) << "applied at once";
  EXPECT_EQ(line.c_iflag & (IXON | IXOFF), 0u);
  EXPECT_EQ(form->Channels[0]._Dcb.BaudRate, 9600u) << "the rest of the settings kept";

  Control().SetFlowControl(FlowControl::None);
  line = FarEndSettings(1);
  EXPECT_EQ(line.c_cflag & CRTSCTS, 0u);
  EXPECT_EQ(line.c_iflag & (IXON | IXOFF), 0u);
  EXPECT_TRUE(Dialogs().empty());

  Control().SetFlowControl(FlowControl::RtsCts);
  delete form;
  form = nullptr;
  CreateWindow();
  EXPECT_EQ(Control().Flow(), FlowControl::RtsCts);
  EXPECT_TRUE(MenuItem(form->GroupBox1, "流控")->Items[1]->Checked.Get());
  Open();
  EXPECT_NE(FarEndSettings(1).c_cflag & CRTSCTS, 0u);
}

TEST_F(LineControl, RtsCtsFlowTakesRtsFromTheRtsChoiceWhichComesBackAfterIt) {
  PanelModemLines& lines = FeatureOf<PanelModemLines>(0);
  lines.SetRts(false);
  Open();
  ASSERT_TRUE(SetModemLinesForTesting(form->Channels[0]._hComm, 0));
  EXPECT_FALSE(RtsHigh());

  Control().SetFlowControl(FlowControl::RtsCts);
  EXPECT_FALSE(lines.RtsItem->Enabled.Get()) << "the flow control drives RTS";
  EXPECT_NE(lines.RtsItem->Caption.Get().Utf8().find("RTS/CTS"), std::string::npos) << "and the item says so";
  EXPECT_FALSE(lines.ResetPulseItem->Enabled.Get());
  EXPECT_EQ(form->Channels[0]._Dcb.fRtsControl, static_cast<DWORD>(RTS_CONTROL_HANDSHAKE));
  lines.SetRts(true);  // kept for later, not put on the line
  lines.SetRts(false);
  lines.ResetPulse();
  EXPECT_FALSE(lines.Choice().Pulsing);
  EXPECT_EQ(form->Channels[0]._Dcb.fRtsControl, static_cast<DWORD>(RTS_CONTROL_HANDSHAKE));
  EXPECT_NE(FarEndSettings(1).c_cflag & CRTSCTS, 0u);

  Control().SetFlowControl(FlowControl::XonXoff);
  EXPECT_TRUE(lines.RtsItem->Enabled.Get());
  EXPECT_EQ(lines.RtsItem->Caption.Get(), String("RTS"));
  EXPECT_EQ(form->Channels[0]._Dcb.fRtsControl, static_cast<DWORD>(RTS_CONTROL_DISABLE)) << "the choice is back";
  EXPECT_FALSE(RtsHigh());
  lines.SetRts(true);
  EXPECT_TRUE(RtsHigh());

  // A reopened port with RTS/CTS remembered keeps the handshake, not the
  // choice, whichever feature applies its settings last.
  Control().SetFlowControl(FlowControl::RtsCts);
  form->Button1->Click();
  form->Button1->Click();
  ASSERT_NE(form->Channels[0]._hComm.load(), INVALID_HANDLE_VALUE);
  EXPECT_EQ(form->Channels[0]._Dcb.fRtsControl, static_cast<DWORD>(RTS_CONTROL_HANDSHAKE));
  EXPECT_NE(FarEndSettings(1).c_cflag & CRTSCTS, 0u);
}

TEST_F(LineControl, ABreakIsToldInTheCounterPanelWhileItLastsAndInTheLinkMonitorAsARow) {
  Open();
  ASSERT_TRUE(SetModemLinesForTesting(form->Channels[0]._hComm, 0));
  FeatureOf<PanelLinkMonitor>(0).Monitor.Show();
  const auto counter = [&] { return form->StatusBar1->Panels->Items[1]->Text.Get().Utf8(); };
  Control().BreakItem->Click();
  EXPECT_NE(counter().find("正在发送中断（250 毫秒）"), std::string::npos) << "at once: " << counter();
  ASSERT_TRUE(ProcessMessagesUntil([&] { return !Control().BreakOn(); }, 10000));
  EXPECT_EQ(counter().find("中断"), std::string::npos) << "gone with the break: " << counter();
  ASSERT_TRUE(TickUntil([&] { return !FeatureOf<PanelLinkMonitor>(0).Monitor.Record().Frames().empty(); }, 5000));
  const LinkFrame& row = FeatureOf<PanelLinkMonitor>(0).Monitor.Record().Frames().front();
  EXPECT_EQ(row.BreakMs, 250u);
  EXPECT_TRUE(row.Sent);
  EXPECT_EQ(row.Name, "COM1");
  EXPECT_NE(LinkRowText(row, 0, true).find("\xE2\x86\x92 COM1  "), std::string::npos);
  EXPECT_EQ(LinkRowText(row, 0, true).substr(LinkRowText(row, 0, true).size() - 12), "BREAK 250 ms");
}

TEST_F(LineControl, ABreakReachesThePlatformAndEndsByItselfWithoutHoldingTheWindow) {
  EXPECT_FALSE(Control().BreakItem->Enabled.Get()) << "no port, no break";
  Open();
  ASSERT_TRUE(SetModemLinesForTesting(form->Channels[0]._hComm, 0));
  ASSERT_TRUE(Control().BreakItem->Enabled.Get());
  const Clock::time_point start = Clock::now();
  Control().BreakItem->Click();
  // Only the window's timer ends it: the click returned with it still on.
  EXPECT_TRUE(Control().BreakOn()) << "the click does not wait for the break";
  EXPECT_TRUE(Break().on);
  EXPECT_EQ(Break().started, 1u);
  EXPECT_FALSE(Control().BreakItem->Enabled.Get()) << "one break at a time";
  ASSERT_TRUE(ProcessMessagesUntil([&] { return !Control().BreakOn(); }, 10000));
  EXPECT_GE(MsSince(start), 235) << "250 ms, less a coarse timer's early firing";
  EXPECT_FALSE(Break().on);

  EXPECT_EQ(Control().CustomBreakItem->Caption.Get(), String("发送其他长度的中断…")) << "not a second 250 ms item";
  QueueInputAnswerForTesting("40");
  Control().CustomBreakItem->Click();
  EXPECT_TRUE(Break().on);
  EXPECT_EQ(Break().started, 2u);
  ASSERT_TRUE(ProcessMessagesUntil([&] { return !Control().BreakOn(); }, 10000));
  EXPECT_EQ(Control().CustomBreakItem->Caption.Get(), String("发送中断（40 毫秒）…"));

  for (const char* wrong : {"0", "10001", "abc", ""}) {
    ClearShownDialogsForTesting();
    QueueInputAnswerForTesting(wrong);
    Control().CustomBreakItem->Click();
    EXPECT_FALSE(Control().BreakOn()) << wrong;
    ASSERT_EQ(Dialogs().size(), 2u) << wrong;  // the question and the refusal
    EXPECT_NE(Dialogs()[1].Text.Utf8().find("无效"), std::string::npos);
  }
  EXPECT_EQ(Break().started, 2u);

  Control().BreakItem->Click();
  EXPECT_TRUE(Break().on);
  form->Button1->Click();  // closing ends the break with the port
  EXPECT_FALSE(Control().BreakOn());
  ProcessMessagesFor(300);  // the timer finds nothing to end
}

TEST_F(LineControl, PacedCharactersNeverGoFasterThanTheirPauseAndAreCountedAndEchoedAsTheyGo) {
  Open();
  FeatureOf<PanelDisplay>(0).EchoItem->Click();  // sent text shown in the receive area
  Control().SetCharGap(60);
  const Clock::time_point start = Clock::now();
  Send("ABCDEF");
  EXPECT_EQ(PanelSentBytes[0], 0u) << "the send returned before its bytes went";
  // Ticking meanwhile, the window is handed the bytes in several batches.
  ASSERT_TRUE(TickUntil([&] { return PanelSentBytes[0] == 6 && !form->Panels[0]->Writer().Busy(); }));
  EXPECT_EQ(ReceiveAtFarEnd(1, 6), "ABCDEF");
  EXPECT_GE(MsSince(start), 5 * 60) << "five pauses between six characters";
  form->ShowReceivedText();
  TLogView* log = FeatureOf<PanelWholeSession>(0).View();
  ASSERT_TRUE(log->Visible.Get()) << "the echo shows in the log view";
  EXPECT_EQ(log->Text().Utf8(), "→ ABCDEF\n") << "one line, as an unpaced send's echo";
  EXPECT_TRUE(NothingArrivesAtFarEnd(1));

  // A send queued while another's echo is under way gets a line of its own.
  Send("GH");
  ASSERT_TRUE(TickUntil([&] { return PanelSentBytes[0] >= 7; }));
  Send("IJ");
  ASSERT_TRUE(TickUntil([&] { return PanelSentBytes[0] == 10 && !form->Panels[0]->Writer().Busy(); }));
  EXPECT_EQ(ReceiveAtFarEnd(1, 4), "GHIJ");
  form->ShowReceivedText();
  EXPECT_EQ(log->Text().Utf8(), "→ ABCDEF\n→ GH\n→ IJ\n");

  // Without pauses a send goes at once again, after what went paced.
  Control().SetCharGap(0);
  Send("K");
  EXPECT_EQ(ReceiveAtFarEnd(1, 1), "K");
  EXPECT_EQ(PanelSentBytes[0], 11u);
}

TEST_F(LineControl, ALinePauseFollowsEachLineEndingAndSendsQueueInOrder) {
  Open();
  Control().SetLineGap(200);
  FeatureOf<PanelSendOptions>(0).SetLineEnding(LineEnding::CRLF);
  const Clock::time_point start = Clock::now();
  Send("ab");
  Send("cd");  // queued behind the first, after its line's pause
  EXPECT_EQ(ReceiveAtFarEnd(1, 4), "ab\r\n");
  EXPECT_EQ(ReceiveAtFarEnd(1, 4), "cd\r\n");
  EXPECT_GE(MsSince(start), 200);
  ASSERT_TRUE(TickUntil([&] { return PanelSentBytes[0] == 8; }));
}

TEST_F(LineControl, ClosingDuringAPacedSendStopsItAndSCountsOnlyWhatWent) {
  Open();
  Control().SetCharGap(200);
  Send("0123456789ABCDEFGHIJ");
  std::string received = ReceiveAtFarEnd(1, 3);
  ASSERT_EQ(received, "012");
  form->Button1->Click();
  EXPECT_FALSE(form->Panels[0]->Writer().Busy());
  received += ReceiveAtFarEnd(1, 17, std::chrono::milliseconds(500));
  EXPECT_LT(received.size(), 20u) << "the rest was dropped";
  // A byte the port took just before the close can be purged by the close
  // (as any send's can) before the far end reads it: counted, not seen.
  EXPECT_GE(PanelSentBytes[0], received.size());
  EXPECT_LE(PanelSentBytes[0], received.size() + 1);
  EXPECT_LT(PanelSentBytes[0], 20u);
}

TEST_F(LineControl, APacedSendTheQueueCannotHoldIsRefusedWholeAndTold) {
  Open();
  Control().SetCharGap(1000);
  form->Panels[0]->SendBytes(std::string(PortWriter::kQueueLimit, 'a'));
  EXPECT_TRUE(Dialogs().empty()) << "a send that fits is taken";
  // Room for it comes only after a hundred pauses of a second.
  form->Panels[0]->SendBytes(std::string(100, 'Z'));
  ASSERT_EQ(Dialogs().size(), 1u);
  EXPECT_TRUE(Dialogs()[0].FromShowMessage);
  const std::string told = Dialogs()[0].Text.Utf8();
  EXPECT_NE(told.find("65536"), std::string::npos) << told;
  EXPECT_NE(told.find("100 字节"), std::string::npos) << told;

  EXPECT_EQ(ReceiveAtFarEnd(1, 1), "a");
  form->Button1->Click();  // drops what still waits
  const std::string rest = ReceiveAtFarEnd(1, 2, std::chrono::milliseconds(500));
  EXPECT_EQ(rest.find('Z'), std::string::npos) << "no part of the refused send went";

  // With room again, a send is taken.
  ClearShownDialogsForTesting();
  Open();
  const ULONGLONG before = PanelSentBytes[0];
  form->Panels[0]->SendBytes("Z");
  EXPECT_TRUE(Dialogs().empty());
  EXPECT_TRUE(TickUntil([&] { return PanelSentBytes[0] == before + 1 && !form->Panels[0]->Writer().Busy(); }));
}

TEST_F(LineControl, PausesAreRememberedAndOutOfRangeOnesRefused) {
  QueueInputAnswerForTesting("1001");
  Control().CharGapItem->Click();
  EXPECT_EQ(Control().CharGapMs(), 0);
  QueueInputAnswerForTesting("15");
  Control().CharGapItem->Click();
  QueueInputAnswerForTesting("300");
  Control().LineGapItem->Click();
  EXPECT_EQ(Control().CharGapItem->Caption.Get(), String("字符间隔（15 毫秒）…"));
  delete form;
  form = nullptr;
  CreateWindow();
  EXPECT_EQ(Control().CharGapMs(), 15);
  EXPECT_EQ(Control().LineGapMs(), 300);
  EXPECT_EQ(FeatureOf<PanelLineControl>(1).CharGapMs(), 0) << "each panel has its own";
}

}  // namespace
