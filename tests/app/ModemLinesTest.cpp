// DTR and RTS of a panel, the reset pulse, and the modem lines in the
// counter panel's tool tip. A pseudo-terminal has no modem lines, so the
// port is given lines in memory where the test needs them.
#include <kestrix/platform_testing.h>

#include "MainWindowTest.h"

namespace {

class ModemLinesWindow : public MainWindowTest {
 protected:
  void SetUp() override {
    MainWindowTest::SetUp();
    AddFarEnd(1);
    CreateWindow();
  }
  HANDLE Port() const { return form->Channels[0]._hComm; }
  // DTR and RTS as the port drives them, as "DTR RTS" with 1 for high.
  std::string ControlLines() const {
    BOOL dtr = FALSE, rts = FALSE;
    if (!GetControlLinesForTesting(Port(), &dtr, &rts)) return "unknown";
    return std::string(dtr ? "1" : "0") + " " + (rts ? "1" : "0");
  }
  TMenuItem* PanelItem(int Index) const {
    const char* captions[] = {"DTR", "RTS", "复位脉冲"};
    return MenuItem(form->GroupBox1, captions[Index]);
  }
  std::string Hint() const { return form->StatusBar1->Panels->Items[1]->Hint.Get().Utf8(); }
};

TEST_F(ModemLinesWindow, ChoicesApplyWhenThePortOpensAndAtOnceWhileItIsOpen) {
  TMenuItem* dtr = PanelItem(0);
  TMenuItem* rts = PanelItem(1);
  EXPECT_TRUE(dtr->Checked);
  EXPECT_FALSE(PanelItem(2)->Enabled) << "no pulse on a closed port";
  dtr->Click();
  EXPECT_FALSE(dtr->Checked);
  OpenPanel(0, 1);
  ASSERT_NE(Port(), INVALID_HANDLE_VALUE);
  EXPECT_TRUE(PanelItem(2)->Enabled);
  // The lines given now start from what the port's settings hold.
  ASSERT_TRUE(SetModemLinesForTesting(Port(), 0));
  EXPECT_EQ(ControlLines(), "0 1");
  dtr->Click();
  EXPECT_EQ(ControlLines(), "1 1");
  rts->Click();
  EXPECT_EQ(ControlLines(), "1 0");
  EXPECT_FALSE(rts->Checked);
  EXPECT_NE(Hint().find("DTR=1 RTS=0"), std::string::npos) << Hint();
  // The other panel's choices are its own.
  EXPECT_TRUE(form->StatusBar1->Panels->Items[2]->Hint.Get().IsEmpty());
}

TEST_F(ModemLinesWindow, AResetPulseDropsBothLinesFor100MsWithoutHoldingTheWindow) {
  OpenPanel(0, 1);
  ASSERT_TRUE(SetModemLinesForTesting(Port(), 0));
  FeatureOf<PanelModemLines>(0).SetRts(false);
  const DWORD start = GetTickCount();
  PanelItem(2)->Click();
  EXPECT_LT(GetTickCount() - start, 50u);
  EXPECT_EQ(ControlLines(), "0 0");
  EXPECT_NE(Hint().find("DTR=0 RTS=0"), std::string::npos) << Hint();
  // A choice made during the pulse waits for its end.
  FeatureOf<PanelModemLines>(0).SetDtr(true);
  EXPECT_EQ(ControlLines(), "0 0");
  ASSERT_TRUE(ProcessMessagesUntil([&] { return ControlLines() != "0 0"; }, 2000));
  EXPECT_GE(GetTickCount() - start, 90u);
  EXPECT_EQ(ControlLines(), "1 0") << "back as chosen";
}

TEST_F(ModemLinesWindow, TheToolTipFollowsTheInputLinesByTheirEvents) {
  OpenPanel(0, 1);
  ASSERT_TRUE(SetModemLinesForTesting(Port(), 0));
  Tick();
  ASSERT_NE(Hint().find("CTS=0 DSR=0 RI=0 DCD=0"), std::string::npos) << Hint();
  // No tick runs from here: the watcher's event messages refresh the tool
  // tip.
  ASSERT_TRUE(SetModemLinesForTesting(Port(), MS_CTS_ON | MS_RLSD_ON));
  EXPECT_TRUE(ProcessMessagesUntil([&] { return Hint().find("CTS=1 DSR=0 RI=0 DCD=1") != std::string::npos; }))
      << Hint();
  ASSERT_TRUE(SetModemLinesForTesting(Port(), MS_DSR_ON));
  EXPECT_TRUE(ProcessMessagesUntil([&] { return Hint().find("CTS=0 DSR=1 RI=0 DCD=0") != std::string::npos; }))
      << Hint();
}

TEST_F(ModemLinesWindow, APortWithoutModemLinesSaysSoAndStillWorks) {
  FeatureOf<PanelModemLines>(0).SetDtr(false);
  OpenPanel(0, 1);
  ASSERT_NE(Port(), INVALID_HANDLE_VALUE);
  FeatureOf<PanelModemLines>(0).ResetPulse();
  FeatureOf<PanelModemLines>(0).SetRts(false);
  Tick();
  EXPECT_NE(Hint().find("没有调制解调器线"), std::string::npos) << Hint();
  EXPECT_NE(Hint().find("DTR=0 RTS=0"), std::string::npos) << Hint();
  form->Edit1->Text = "ok";
  form->Button2->Click();
  EXPECT_EQ(ReceiveAtFarEnd(1, 2), "ok");
  EXPECT_TRUE(Dialogs().empty());
}

TEST_F(ModemLinesWindow, EachPanelsChoicesAreRememberedAcrossARestart) {
  MenuItem(form->GroupBox2, "DTR")->Click();
  MenuItem(form->GroupBox1, "RTS")->Click();
  delete form;
  form = nullptr;
  CreateWindow();
  EXPECT_TRUE(MenuItem(form->GroupBox1, "DTR")->Checked);
  EXPECT_FALSE(MenuItem(form->GroupBox1, "RTS")->Checked);
  EXPECT_FALSE(MenuItem(form->GroupBox2, "DTR")->Checked);
  EXPECT_TRUE(MenuItem(form->GroupBox2, "RTS")->Checked);
  // And they reach the port when it opens.
  OpenPanel(0, 1);
  ASSERT_TRUE(SetModemLinesForTesting(Port(), 0));
  EXPECT_EQ(ControlLines(), "1 0");
}

}  // namespace
