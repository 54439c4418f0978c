// The send line's choices: line endings on the line, Enter, the history
// under Up and Down, and the auto-send period against the timer's ticks.
#include "MainWindowTest.h"

namespace {

class SendOptions : public FirstPanelOpenTest {
 protected:
  // A key pressed in device 1's send line; true when the line kept it.
  bool Press(unsigned short key, TShiftState shift = 0) {
    form->Edit1->OnKeyDown(form->Edit1, key, shift);
    return key != 0;
  }
};

TEST_F(SendOptions, EachLineEndingFollowsTheTextOnTheLineAndIsCounted) {
  const struct {
    LineEnding ending;
    std::string bytes;
  } cases[] = {
      {LineEnding::CR, "ab\r"}, {LineEnding::LF, "ab\n"}, {LineEnding::CRLF, "ab\r\n"}, {LineEnding::None, "ab"}};
  int counted = 0;
  form->Edit1->Text = "ab";
  for (const auto& c : cases) {
    FeatureOf<PanelSendOptions>(0).Endings[static_cast<int>(c.ending)]->Click();
    EXPECT_TRUE(FeatureOf<PanelSendOptions>(0).Endings[static_cast<int>(c.ending)]->Checked.Get());
    form->Button2->Click();
    EXPECT_EQ(ReceiveAtFarEnd(1, c.bytes.size()), c.bytes);
    counted += static_cast<int>(c.bytes.size());
    EXPECT_EQ(PanelSentBytes[0], counted);
  }
  EXPECT_TRUE(NothingArrivesAtFarEnd(1));

  // Hex sends are bytes as typed: no ending; device 2 keeps its own choice.
  FeatureOf<PanelSendOptions>(0).SetLineEnding(LineEnding::CRLF);
  EXPECT_EQ(FeatureOf<PanelSendOptions>(1).Ending(), LineEnding::None);
  form->RadioButton1->Checked = true;
  form->Edit1->Text = "41 42";
  form->Button2->Click();
  EXPECT_EQ(ReceiveAtFarEnd(1, 2), "AB");
  EXPECT_TRUE(NothingArrivesAtFarEnd(1));
}

TEST_F(SendOptions, EnterSendsAndOtherKeysStayWithTheLine) {
  form->Edit1->Text = "go";
  EXPECT_FALSE(Press(VK_RETURN));
  EXPECT_EQ(ReceiveAtFarEnd(1, 2), "go");
  EXPECT_TRUE(Press('A'));
  EXPECT_TRUE(Press(VK_RETURN, ssShift)) << "only a plain Enter sends";
  EXPECT_TRUE(NothingArrivesAtFarEnd(1));
}

TEST_F(SendOptions, UpAndDownWalkWhatThisPanelSent) {
  for (const char* text : {"first", "second", "first"}) {
    form->Edit1->Text = text;
    Press(VK_RETURN);
  }
  ReceiveAtFarEnd(1, 16);
  form->Edit1->Text = "typing";
  EXPECT_FALSE(Press(VK_UP));
  EXPECT_EQ(form->Edit1->Text.Get(), String("first"));
  Press(VK_UP);
  EXPECT_EQ(form->Edit1->Text.Get(), String("second"));
  Press(VK_UP);
  EXPECT_EQ(form->Edit1->Text.Get(), String("second")) << "a text sent twice is there once";
  EXPECT_FALSE(Press(VK_DOWN));
  Press(VK_DOWN);
  EXPECT_EQ(form->Edit1->Text.Get(), String("typing"));
  EXPECT_TRUE(FeatureOf<PanelSendOptions>(1).History().Texts().empty()) << "device 2 has its own";

  // Nothing is kept for a text that was not sent (port closed).
  form->Button1->Click();
  form->Edit1->Text = "unsent";
  Press(VK_RETURN);
  EXPECT_EQ(FeatureOf<PanelSendOptions>(0).History().Texts().back(), String("first"));
}

TEST_F(SendOptions, AutoSendFollowsThePeriodInTicksOfTheTimer) {
  form->Edit1->Text = "x";
  form->CheckBox1->Checked = true;
  // The default: once a second, on ticks 0, 10, 20...
  Tick(21);
  EXPECT_EQ(ReceiveAtFarEnd(1, 3), "xxx");
  EXPECT_EQ(form->CheckBox1->Hint.Get(), String("自动发送周期为1秒"));

  const struct {
    int ticks;
    const char* hint;
  } periods[] = {{1, "自动发送周期为100毫秒"}, {3, "自动发送周期为300毫秒"}, {25, "自动发送周期为2.5秒"}};
  for (const auto& p : periods) {
    FeatureOf<PanelSendOptions>(0).SetAutoPeriod(p.ticks);
    EXPECT_EQ(form->CheckBox1->Hint.Get(), String(p.hint));
    const int before = PanelSentBytes[0];
    const int first = TimerTicks;
    Tick(50);
    int expected = 0;
    for (int t = first; t < first + 50; ++t) expected += t % p.ticks == 0;
    EXPECT_EQ(PanelSentBytes[0] - before, expected) << p.ticks;
    EXPECT_EQ(ReceiveAtFarEnd(1, static_cast<size_t>(expected)), std::string(static_cast<size_t>(expected), 'x'));
  }
}

TEST_F(SendOptions, APeriodIsChosenFromTheListOrTypedAndABadOneChangesNothing) {
  TMenuItem* half = nullptr;
  for (const auto& [ticks, item] : FeatureOf<PanelSendOptions>(0).Periods)
    if (ticks == 5) half = item;
  ASSERT_NE(half, nullptr);
  half->Click();
  EXPECT_EQ(FeatureOf<PanelSendOptions>(0).AutoPeriodTicks(), 5);
  EXPECT_TRUE(half->Checked.Get());

  QueueInputAnswerForTesting("2500");
  FeatureOf<PanelSendOptions>(0).CustomPeriod->Click();
  EXPECT_EQ(FeatureOf<PanelSendOptions>(0).AutoPeriodTicks(), 25);
  EXPECT_TRUE(FeatureOf<PanelSendOptions>(0).CustomPeriod->Checked.Get());
  EXPECT_FALSE(half->Checked.Get());
  EXPECT_EQ(FeatureOf<PanelSendOptions>(0).CustomPeriod->Caption.Get(), String("其他周期 (2.5秒)…"));

  for (const char* bad : {"150", "0", "70000", "fast"}) {
    ClearShownDialogsForTesting();
    QueueInputAnswerForTesting(bad);
    FeatureOf<PanelSendOptions>(0).CustomPeriod->Click();
    EXPECT_EQ(FeatureOf<PanelSendOptions>(0).AutoPeriodTicks(), 25) << bad;
    ASSERT_EQ(Dialogs().size(), 2u) << bad;  // the question, then the refusal
    EXPECT_EQ(Dialogs()[1].Text, "无效的周期：" + String(bad));
  }
  // Cancelled: nothing changes, the check stays where the period is.
  FeatureOf<PanelSendOptions>(0).SetAutoPeriod(5);
  FeatureOf<PanelSendOptions>(0).CustomPeriod->Click();
  EXPECT_EQ(FeatureOf<PanelSendOptions>(0).AutoPeriodTicks(), 5);
  EXPECT_TRUE(half->Checked.Get());
  EXPECT_FALSE(FeatureOf<PanelSendOptions>(0).CustomPeriod->Checked.Get());
  EXPECT_EQ(FeatureOf<PanelSendOptions>(1).AutoPeriodTicks(), 10);
}

TEST_F(SendOptions, ThePanelMenuOpensClearsAndSwitchesHexWithItsKeysInTheTooltips) {
  EXPECT_EQ(FeatureOf<PanelShortcuts>(0).OpenClose->ShortCut.Get(), TextToShortCut("Ctrl+O"));
  EXPECT_EQ(FeatureOf<PanelShortcuts>(1).OpenClose->ShortCut.Get(), TextToShortCut("Ctrl+Shift+O"));
  EXPECT_EQ(form->Button1->HintShortCut.Get(), TextToShortCut("Ctrl+O"));
  EXPECT_EQ(form->Button7->HintShortCut.Get(), TextToShortCut("Ctrl+Shift+L"));
  EXPECT_EQ(form->RadioButton2->HintShortCut.Get(), TextToShortCut("Ctrl+Shift+H"));
  EXPECT_EQ(form->Button4->Hint.Get(), String("清空接收区"));

  form->Memo1->Text = "old";
  FeatureOf<PanelShortcuts>(0).Clear->Click();
  EXPECT_EQ(MemoText(form->Memo1), "");
  FeatureOf<PanelShortcuts>(0).Hex->Click();
  EXPECT_TRUE(form->RadioButton1->Checked.Get());
  EXPECT_FALSE(form->RadioButton2->Checked.Get());
  FeatureOf<PanelShortcuts>(0).OpenClose->Click();
  EXPECT_EQ(form->Button1->Caption.Get(), String("打开"));
  EXPECT_EQ(form->Channels[0]._hComm.load(), INVALID_HANDLE_VALUE);
  FeatureOf<PanelShortcuts>(0).OpenClose->Click();
  EXPECT_EQ(form->Button1->Caption.Get(), String("关闭"));
}

}  // namespace
