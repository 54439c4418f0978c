#include "CannotOpenText.h"
#include "MainWindowTest.h"

namespace {

using PortPanel = MainWindowTest;

TEST(LineSettingsText, JoinsTheTrimmedNumbersWithTheParityLetter) {
  EXPECT_EQ(LineSettingsText("9600", "N (无)", "8", "1"), String("9600,N,8,1"));
  EXPECT_EQ(LineSettingsText(" 19200 ", "M (标记)", "7 ", " 2"), String("19200,M,7,2"));
}

TEST_F(PortPanel, OpeningShowsThePanelOpenAndClosingReversesIt) {
  AddFarEnd(1);
  AddFarEnd(2);
  CreateWindow();
  form->Button1->Click();
  ASSERT_NE(form->Channels[0]._hComm.load(), INVALID_HANDLE_VALUE);
  EXPECT_EQ(form->Button1->Caption.Get(), String("关闭"));
  EXPECT_TRUE(form->Button1->Enabled.Get());
  for (TComboBox* box : {form->ComboBox1, form->ComboBox2, form->ComboBox5, form->ComboBox6, form->ComboBox7})
    EXPECT_FALSE(box->Enabled.Get());
  EXPECT_TRUE(form->ComboBox3->Enabled.Get()) << "device 2 is untouched";
  EXPECT_EQ(form->Memo1->Color.Get(), clWindow);
  EXPECT_EQ(PortToPanel, (std::map<int, int>{{1, 0}}));
  EXPECT_EQ(PanelPort[0], 1);
  EXPECT_EQ(form->Channels[0]._hTargetWnd.load(), form->Handle.Get());

  form->Button1->Click();
  EXPECT_EQ(form->Channels[0]._hComm.load(), INVALID_HANDLE_VALUE);
  EXPECT_EQ(form->Button1->Caption.Get(), String("打开"));
  for (TComboBox* box : {form->ComboBox1, form->ComboBox2, form->ComboBox5, form->ComboBox6, form->ComboBox7})
    EXPECT_TRUE(box->Enabled.Get());
  EXPECT_EQ(form->Memo1->Color.Get(), clSilver);
  EXPECT_TRUE(PortToPanel.empty());
  EXPECT_EQ(PanelPort[0], -1);
  EXPECT_TRUE(Dialogs().empty());
}

TEST_F(PortPanel, APortThatCannotBeOpenedIsReportedAndThePanelStaysClosed) {
  CreateWindow();
  form->ComboBox1->Text = "COM9";
  form->Button1->Click();
  ASSERT_EQ(Dialogs().size(), 1u);
  EXPECT_TRUE(Dialogs()[0].FromShowMessage);
  EXPECT_EQ(Dialogs()[0].Text, String("不能打开 COM9\n没有这个设备：串口未插入或已拔出。"));
  EXPECT_EQ(form->Button1->Caption.Get(), String("打开"));
  EXPECT_TRUE(form->Button1->Enabled.Get());
  EXPECT_TRUE(form->ComboBox1->Enabled.Get());
  EXPECT_TRUE(PortToPanel.empty());
  EXPECT_EQ(PanelPort[0], 9) << "the number tried stays";
  EXPECT_EQ(form->Channels[0]._hTargetWnd.load(), form->Handle.Get()) << "set on every attempt";
}

TEST_F(PortPanel, TheSamePortInBothPanelsFailsInTheSecondAndKeepsTheFirstEntry) {
  ASSERT_NO_FATAL_FAILURE(OpenCom1InBothPanels());
  EXPECT_EQ(form->Button1->Caption.Get(), String("关闭"));
  EXPECT_EQ(PortToPanel, (std::map<int, int>{{1, 0}}));
}

TEST_F(PortPanel, ThePortTextIsReadWholeAndNumbersBeyond1024CannotBeOpened) {
  AddFarEnd(12);
  AddFarEnd(1000);
  AddFarEnd(1024);
  CreateWindow();
  OpenPanel(0, 12);
  EXPECT_EQ(PanelPort[0], 12);
  form->ComboBox3->Text = "COM1000";
  form->Button6->Click();
  EXPECT_EQ(PanelPort[1], 1000) << "not COM100";
  EXPECT_NE(form->Channels[1]._hComm.load(), INVALID_HANDLE_VALUE);
  EXPECT_EQ(PortToPanel, (std::map<int, int>{{12, 0}, {1000, 1}}));
  form->Button6->Click();
  form->ComboBox3->Text = "COM1024";
  form->Button6->Click();
  EXPECT_EQ(PanelPort[1], 1024);
  EXPECT_NE(form->Channels[1]._hComm.load(), INVALID_HANDLE_VALUE);
  form->Button6->Click();
  EXPECT_TRUE(Dialogs().empty());

  // Well formed, but no such port can exist.
  for (const char* text : {"COM1025", "COM0", "COM99999"}) {
    form->ComboBox3->Text = text;
    form->Button6->Click();
    ASSERT_FALSE(Dialogs().empty());
    EXPECT_EQ(Dialogs().back().Text, String("不能打开 ") + text + "\n没有这个设备：串口未插入或已拔出。");
    EXPECT_EQ(form->Button6->Caption.Get(), String("打开"));
  }
}

TEST_F(PortPanel, APortTextThatIsNotComAndANumberIsTheConversionError) {
  AddFarEnd(5);
  AddFarEnd(3);
  CreateWindow();
  for (const char* text :
       {"LPT5", "COM", "COM1x", " COM3", "COM3 ", "com3", "COM+3", "COM-3", "COM 3", "COM3.0", "COM99999999999", ""}) {
    SCOPED_TRACE(text);
    form->ComboBox1->Text = text;
    EXPECT_THROW(form->Button1->Click(), EConvertError);
    EXPECT_TRUE(form->Button1->Enabled.Get());
    EXPECT_EQ(form->Button1->Caption.Get(), String("打开"));
    EXPECT_EQ(form->Channels[0]._hComm.load(), INVALID_HANDLE_VALUE);
  }
  EXPECT_TRUE(PortToPanel.empty());
  EXPECT_TRUE(Dialogs().empty());
}

TEST_F(PortPanel, ClosingAndReopeningOnAnotherPortLeavesOnlyTheNewEntry) {
  AddFarEnd(1);
  AddFarEnd(2);
  CreateWindow();
  OpenPanel(0, 1);
  form->Button1->Click();
  OpenPanel(0, 2);
  EXPECT_EQ(PortToPanel, (std::map<int, int>{{2, 0}}));
}

String Refused(const LineSettingsTexts& typed, DWORD refused) { return RefusedSettingsCause(typed, refused).Logged(); }

TEST(RefusedSettingsCause, NamesEachRefusedSettingAsTyped) {
  const LineSettingsTexts typed{"115,200", "无", "9", "8"};
  EXPECT_EQ(Refused(typed, cxComm::kSettingsTextRefused),
            String("线路设置被拒绝：波特率 115,200，校验位 无，数据位 9，停止位 8"));
  const LineSettingsTexts good{"250000", "N (无)", "8", "1.5"};
  EXPECT_EQ(Refused(good, cxComm::kLineRateRefused), String("线路设置被拒绝：波特率 250000"));
  EXPECT_EQ(Refused(good, cxComm::kFramingRefused),
            String("线路设置被拒绝：数据位 8、校验位 N (无)、停止位 1.5 的组合"));
  // Each setting reads well alone, the text as a whole does not.
  const LineSettingsTexts keyed{"9600 stop=2", "N", "8", "1"};
  EXPECT_EQ(Refused(keyed, cxComm::kSettingsTextRefused), String("线路设置被拒绝：9600 stop=2,N,8,1"));
}

TEST(CannotOpenText, PutsTheCauseOnASecondLineWhenThereIsOne) {
  EXPECT_EQ(CannotOpenText("COM3", TrMessage()), String("不能打开 COM3"));
  EXPECT_EQ(CannotOpenText("COM3", TrMessage::AsItStands("原因")), String("不能打开 COM3\n原因"));
}

TEST_F(PortPanel, RefusedSettingsLeaveThePanelAndThePortClosedAndSayWhich) {
  ASSERT_NO_FATAL_FAILURE(OpenWithEachRefusedSetting([&] {
    EXPECT_TRUE(form->Button1->Enabled.Get());
    EXPECT_TRUE(form->ComboBox2->Enabled.Get());
    EXPECT_TRUE(PortToPanel.empty());
  }));
  // The port was let go: good settings open it.
  form->ComboBox2->Text = "9600";
  form->ComboBox5->Text = "N (无)";
  form->ComboBox6->Text = "8";
  form->ComboBox7->Text = "1";
  OpenPanel(0, 1);
  EXPECT_EQ(form->Button1->Caption.Get(), String("关闭"));
}

TEST_F(PortPanel, TheChosenSettingsReachTheLine) {
  AddFarEnd(1);
  CreateWindow();
  form->ComboBox2->Text = "19200";
  form->ComboBox5->Text = "M (标记)";
  form->ComboBox6->Text = "7";
  form->ComboBox7->Text = "2";
  OpenPanel(0, 1);
  // A pseudo-terminal keeps the speed, the stop bits and mark parity's
  // CMSPAR, not the data bits or the parity bit itself.
  const termios line = FarEndSettings(1);
  EXPECT_EQ(cfgetospeed(&line), static_cast<speed_t>(B19200));
  EXPECT_TRUE(line.c_cflag & CSTOPB);
  EXPECT_TRUE(line.c_cflag & CMSPAR);
}

TEST_F(PortPanel, EveryListedRateAndATypedOneReachTheLineAndTheDefaultStays9600) {
  AddFarEnd(1);
  CreateWindow();
  EXPECT_EQ(form->ComboBox2->Text.Get(), String("9600"));
  std::vector<String> rates;
  for (int i = 0; i < form->ComboBox2->Items->Count; ++i) rates.push_back(form->ComboBox2->Items->Strings[i]);
  rates.push_back("250000");  // not listed: typed
  for (const String& rate : rates) {
    SCOPED_TRACE(rate.Utf8());
    form->ComboBox2->Text = rate;
    OpenPanel(0, 1);
    ASSERT_NE(form->Channels[0]._hComm.load(), INVALID_HANDLE_VALUE);
    DCB dcb = {};
    dcb.DCBlength = sizeof dcb;
    ASSERT_TRUE(GetCommState(form->Channels[0]._hComm, &dcb));
    EXPECT_EQ(dcb.BaudRate, static_cast<DWORD>(rate.ToInt()));
    form->Button1->Click();  // close
  }
  EXPECT_TRUE(Dialogs().empty());
}

}  // namespace
