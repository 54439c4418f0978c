// Every bad input a user can give the window, with what the user sees: a
// defined result, nothing opened or sent by mistake, nothing lost, no hang.
// The user's manual (docs/manual.md) lists the same rows in its table of bad inputs.
#include "MainWindowTest.h"

namespace {

using BadInput = MainWindowTest;

// A port text either raises the conversion error the application shows, or
// is a port number that cannot be opened, reported by the box.
TEST_F(BadInput, PortTexts) {
  AddFarEnd(1);
  CreateWindow();
  const struct {
    const char* text;
    const char* box;  // null: the conversion error
  } kRows[] = {
      {"LPT5", nullptr},
      {"COM", nullptr},
      {"COM1x", nullptr},
      {" COM1", nullptr},
      {"COM1 ", nullptr},
      {"com1", nullptr},
      {"COM-1", nullptr},
      {"", nullptr},
      {"COM99999999999", nullptr},
      {"COM0", "不能打开 COM0\n没有这个设备：串口未插入或已拔出。"},
      {"COM1025", "不能打开 COM1025\n没有这个设备：串口未插入或已拔出。"},
      {"COM9", "不能打开 COM9\n没有这个设备：串口未插入或已拔出。"},
  };
  for (const auto& row : kRows) {
    SCOPED_TRACE(row.text);
    form->ComboBox1->Text = row.text;
    const size_t shown = Dialogs().size();
    if (row.box == nullptr) {
      EXPECT_THROW(form->Button1->Click(), EConvertError);
      EXPECT_EQ(Dialogs().size(), shown);
    } else {
      form->Button1->Click();
      ASSERT_EQ(Dialogs().size(), shown + 1);
      EXPECT_EQ(Dialogs().back().Text, String(row.box));
    }
    EXPECT_EQ(form->Channels[0]._hComm.load(), INVALID_HANDLE_VALUE);
    EXPECT_EQ(form->Button1->Caption.Get(), String("打开"));
    EXPECT_TRUE(form->Button1->Enabled.Get());
  }
  EXPECT_TRUE(PortToPanel.empty());
}

TEST_F(BadInput, LineSettings) {
  ASSERT_NO_FATAL_FAILURE(OpenWithEachRefusedSetting());
  EXPECT_TRUE(PortToPanel.empty());
}

// What a send puts on the line for texts that are odd or empty.
TEST_F(BadInput, SendTexts) {
  AddFarEnd(1);
  CreateWindow();
  OpenPanel(0, 1);
  const struct {
    bool hex;
    const char* typed;
    std::string line;  // the bytes that reach the far end
  } kRows[] = {
      {true, "zz", ""},  {true, "1", ""}, {true, "123", "\x12"}, {true, "0x12", "\x01"}, {true, "中文12", "\x12"},
      {true, "   ", ""}, {true, "", ""},  {false, "", ""},       {false, " ", " "},      {false, "\t", "\t"},
  };
  for (const auto& row : kRows) {
    SCOPED_TRACE(row.typed);
    form->RadioButton1->Checked = row.hex;
    form->Edit1->Text = row.typed;
    const ULONGLONG before = PanelSentBytes[0];
    form->Button2->Click();
    if (row.line.empty()) {
      EXPECT_TRUE(NothingArrivesAtFarEnd(1, std::chrono::milliseconds(50)));
    } else {
      EXPECT_EQ(ReceiveAtFarEnd(1, row.line.size()), row.line);
    }
    EXPECT_EQ(PanelSentBytes[0] - before, row.line.size());
  }
  EXPECT_TRUE(Dialogs().empty());
}

// Sending, auto-sending and clearing on a closed port: nothing happens.
TEST_F(BadInput, ClosedPorts) {
  AddFarEnd(1);
  CreateWindow();
  form->Edit1->Text = "never";
  form->Button2->Click();
  form->CheckBox1->Checked = true;
  TimerTicks = 0;
  Tick(11);
  form->Button4->Click();
  OpenPanel(0, 1);
  form->Button1->Click();  // closed again
  form->Button2->Click();
  EXPECT_TRUE(NothingArrivesAtFarEnd(1));
  EXPECT_EQ(PanelSentBytes[0], 0u);
  EXPECT_TRUE(Dialogs().empty());
}

TEST_F(BadInput, ThePortOfTheOtherPanel) {
  ASSERT_NO_FATAL_FAILURE(OpenCom1InBothPanels());
  // The first panel keeps its port and its line.
  form->Edit1->Text = "still";
  form->Button2->Click();
  EXPECT_EQ(ReceiveAtFarEnd(1, 5), "still");
}

}  // namespace
