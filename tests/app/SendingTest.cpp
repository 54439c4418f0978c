#include <vector>

#include "MainWindowTest.h"

namespace {

class Sending : public FirstPanelOpenTest {
 protected:
  // Sends Text from device 1 and returns what the line carried.
  std::string Send(const String& text, size_t expectedBytes) {
    form->Edit1->Text = text;
    form->Button2->Click();
    return ReceiveAtFarEnd(1, expectedBytes);
  }
};

TEST_F(Sending, HexModeSendsTheBytesTheDigitsSpellAndCountsThem) {
  form->RadioButton1->Checked = true;
  const struct {
    const char* typed;
    std::string bytes;
  } cases[] = {
      {"12 34 ab", "\x12\x34\xAB"}, {"1 2 3 4", "\x12\x34"}, {"12,3", "\x12"}, {"123", "\x12"}, {"0x12", "\x01"},
      {"  12  ", "\x12"},
  };
  ULONGLONG counted = 0;
  for (const auto& c : cases) {
    EXPECT_EQ(Send(c.typed, c.bytes.size()), c.bytes) << c.typed;
    counted += c.bytes.size();
    EXPECT_EQ(PanelSentBytes[0], counted) << c.typed;
  }
}

TEST_F(Sending, HexTextWithoutDigitsSendsNothingAndCountsNothing) {
  form->RadioButton1->Checked = true;
  const DWORD writtenBefore = form->Channels[0]._dwBytesWritten;
  form->Edit1->Text = "zz";
  form->Button2->Click();
  EXPECT_TRUE(NothingArrivesAtFarEnd(1));
  EXPECT_EQ(PanelSentBytes[0], 0u);
  EXPECT_EQ(form->Channels[0]._dwBytesWritten.load(), writtenBefore);
}

TEST_F(Sending, TextModeSendsTheEditTextInTheAnsiCodePageWithoutATerminator) {
  EXPECT_EQ(Send("12345678", 8), "12345678");
  EXPECT_EQ(PanelSentBytes[0], 8u);
  EXPECT_TRUE(NothingArrivesAtFarEnd(1)) << "no line end follows";
  EXPECT_EQ(Send("中文", 4), "\xD6\xD0\xCE\xC4");
  EXPECT_EQ(PanelSentBytes[0], 12u) << "bytes, not characters";
}

TEST_F(Sending, AnEmptyEditOrAClosedPortSendsNothing) {
  form->Edit1->Text = "";
  form->Button2->Click();
  EXPECT_EQ(PanelSentBytes[0], 0u);
  form->Button1->Click();  // close
  form->Edit1->Text = "abc";
  form->Button2->Click();
  EXPECT_EQ(PanelSentBytes[0], 0u);
  EXPECT_TRUE(NothingArrivesAtFarEnd(1));
}

TEST_F(Sending, AMessageThePortRefusesIsNotCounted) {
  // The far end reads nothing: the port's output queue fills to its limit
  // and the port then refuses writes. Blocks of halving size fill it to the
  // last byte, again after each pause, until a pause lets the line take
  // nothing more (a loaded machine may drain it late).
  std::vector<BYTE> block(8u << 20, 'x');
  auto fillToTheLastByte = [&] {
    ULONGLONG taken = 0;
    for (DWORD size = static_cast<DWORD>(block.size()); size > 0; size /= 2) {
      DWORD done = size;
      while (done == size) taken += done = form->Channels[0].Write(block.data(), size);
    }
    return taken;
  };
  fillToTheLastByte();
  for (int pause = 0; pause < 50; ++pause) {
    Sleep(200);
    if (fillToTheLastByte() == 0) break;
  }
  const ULONGLONG accepted = form->Channels[0]._dwBytesWritten;
  EXPECT_GE(accepted, 16u << 20);
  form->Edit1->Text = "abc";
  form->Button2->Click();
  form->RadioButton1->Checked = true;
  form->Edit1->Text = "41 42";
  form->Button2->Click();
  EXPECT_EQ(PanelSentBytes[0], 0u);
  EXPECT_EQ(form->Channels[0]._dwBytesWritten.load(), accepted);
}

TEST_F(Sending, EachPanelSendsThroughItsOwnPortAndClearEmptiesOnlyItsMemo) {
  AddFarEnd(2);
  OpenPanel(1, 2);
  form->Edit2->Text = "two";
  form->Button5->Click();
  EXPECT_EQ(ReceiveAtFarEnd(2, 3), "two");
  EXPECT_TRUE(NothingArrivesAtFarEnd(1));
  EXPECT_EQ(PanelSentBytes[1], 3u);
  EXPECT_EQ(PanelSentBytes[0], 0u);

  form->Memo1->Text = "one";
  form->Memo2->Text = "two";
  form->Button7->Click();
  EXPECT_EQ(MemoText(form->Memo2), "");
  EXPECT_EQ(MemoText(form->Memo1), "one");
  EXPECT_EQ(PanelSentBytes[1], 3u) << "clearing counts nothing";
}

TEST_F(Sending, AutoSendGoesOnceASecondOnTheSharedPhaseAndOnlyWhileThePortIsOpen) {
  form->CheckBox1->Checked = true;
  form->Button1->Click();  // closed: the first tick (a multiple of ten) sends nothing
  Tick();
  EXPECT_TRUE(NothingArrivesAtFarEnd(1, std::chrono::milliseconds(100)));
  EXPECT_EQ(PanelSentBytes[0], 0u);

  form->Button1->Click();  // open again; TimerTicks is now 1
  Tick(8);                 // ticks 1 to 8
  EXPECT_TRUE(NothingArrivesAtFarEnd(1, std::chrono::milliseconds(100)));
  Tick();  // tick 9
  EXPECT_TRUE(NothingArrivesAtFarEnd(1, std::chrono::milliseconds(100)));
  Tick();  // tick 10
  EXPECT_EQ(ReceiveAtFarEnd(1, 8), "12345678");
  Tick(9);
  EXPECT_TRUE(NothingArrivesAtFarEnd(1, std::chrono::milliseconds(100)));
  Tick();  // tick 20
  EXPECT_EQ(ReceiveAtFarEnd(1, 8), "12345678");
  EXPECT_EQ(PanelSentBytes[0], 16u);
}

}  // namespace
