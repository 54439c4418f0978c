#include "MainWindowTest.h"

namespace {

class ReceiveDisplay : public MainWindowTest {
 protected:
  void SetUp() override {
    MainWindowTest::SetUp();
    CreateWindow();
  }
};

TEST_F(ReceiveDisplay, TextKeepsLineBreaksAndTheNextBlockFollowsDirectly) {
  Deliver(1, "AB\r\n");
  Deliver(1, "C");
  EXPECT_EQ(MemoText(form->Memo1), "AB\r\nC");
  Deliver(1, "\nD");
  EXPECT_EQ(MemoText(form->Memo1), "AB\r\nC\r\nD") << "a lone line feed breaks the line";
}

TEST_F(ReceiveDisplay, HexModeShowsEveryByteAsAPairAndBlankOnTheSameLine) {
  form->RadioButton1->Checked = true;
  Deliver(1, "AB");
  EXPECT_EQ(MemoText(form->Memo1), "41 42 ");
  Deliver(1, std::string("\x00\r\n", 3));
  EXPECT_EQ(MemoText(form->Memo1), "41 42 00 0D 0A ");
}

TEST_F(ReceiveDisplay, ZeroBytesDoNotCutTheBlock) {
  Deliver(1, std::string("A\0B", 3));
  EXPECT_EQ(MemoText(form->Memo1), "AB");
}

TEST_F(ReceiveDisplay, ADoubleByteCharacterSplitBetweenBlocksShowsWhole) {
  Deliver(1, "x\xD6");
  EXPECT_EQ(MemoText(form->Memo1), "x");
  Deliver(1, "\xD0y");
  EXPECT_EQ(MemoText(form->Memo1), "x中y");
}

TEST_F(ReceiveDisplay, AMemoIsEmptiedOnlyWhenItHoldsMoreThan4096Bytes) {
  const std::string full(4096, 'x');
  form->Memo1->Text = full;
  Deliver(1, "Z");
  EXPECT_EQ(MemoText(form->Memo1), full + "Z");
  Deliver(1, "Y");
  EXPECT_EQ(MemoText(form->Memo1), "Y") << "4097 bytes: emptied first";
}

TEST_F(ReceiveDisplay, TheLimitCountsBytesOfTheAnsiTextWithLineBreaksAsTwo) {
  // 1000 Chinese characters, 1000 line breaks and 100 letters: 3100
  // characters, but 4100 bytes.
  std::string text;
  for (int i = 0; i < 1000; ++i) text += "中\r\n";
  text += std::string(100, 'x');
  form->Memo1->Text = text;
  Deliver(1, "Z");
  EXPECT_EQ(MemoText(form->Memo1), "Z");
}

TEST_F(ReceiveDisplay, BlocksGoToThePanelTheirPortIsMappedToAndFollowThatPanelsSwitch) {
  PortToPanel[7] = 1;
  form->RadioButton2->Checked = true;
  Deliver(7, "A");
  EXPECT_EQ(MemoText(form->Memo2), "41 ");
  EXPECT_EQ(MemoText(form->Memo1), "");
  form->RadioButton1->Checked = true;
  form->RadioButton2->Checked = false;
  Deliver(7, "B");
  EXPECT_EQ(MemoText(form->Memo2), "41 B");
  Deliver(8, "C");  // not mapped: device 1
  EXPECT_EQ(MemoText(form->Memo1), "43 ");
}

TEST_F(ReceiveDisplay, AnEmptyBlockChangesNothing) {
  form->Memo1->Text = "keep";
  Deliver(1, "");
  EXPECT_EQ(MemoText(form->Memo1), "keep");
}

TEST_F(ReceiveDisplay, AFullBlockInHexModeShowsWhole) {
  form->RadioButton1->Checked = true;
  Deliver(1, std::string(2048, '\xA5'));
  std::string expected;
  for (int i = 0; i < 2048; ++i) expected += "A5 ";
  EXPECT_EQ(MemoText(form->Memo1), expected);
}

TEST_F(ReceiveDisplay, TheNewestTextIsInView) {
  std::string lines;
  for (int i = 0; i < 200; ++i) lines += "line " + std::to_string(i) + "\r\n";
  Deliver(1, lines);
  ProcessMessagesFor(20);
  EXPECT_EQ(form->Memo1->SelStart.Get(), form->Memo1->Text.Get().Length()) << "the caret is at the end";
}

TEST_F(ReceiveDisplay, BytesFromTheLineReachTheMemoOfTheirPanel) {
  AddFarEnd(5);
  OpenPanel(1, 5);
  SendFromFarEnd(5, "hello\r\n");
  ASSERT_TRUE(TickUntil([&] { return MemoText(form->Memo2) == "hello\r\n"; })) << MemoText(form->Memo2);
  EXPECT_EQ(form->Channels[1]._dwDelivered.load(), 7u);
}

}  // namespace
