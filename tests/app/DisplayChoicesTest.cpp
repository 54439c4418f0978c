// A panel's display choices: encodings, terminal colours, the hex dump and
// its own sends among what it receives.
#include "MainWindowTest.h"

namespace {

class DisplayChoicesTest : public FirstPanelOpenTest {
 protected:
  // An item of a submenu of the receive area's context menu.
  TMenuItem* SubItem(const std::string& menu, const std::string& caption) {
    TMenuItem* parent = MenuItem(form->Memo1, menu);
    if (parent == nullptr) return nullptr;
    for (int i = 0; i < parent->Count; ++i)
      if (parent->Items[i]->Caption.Get().Utf8() == caption) return parent->Items[i];
    return nullptr;
  }
  void Choose(void (*change)(DisplayChoices&)) {
    DisplayChoices choices = FeatureOf<PanelDisplay>(0).Choices();
    change(choices);
    FeatureOf<PanelDisplay>(0).Set(choices);
  }
  // What the panel shows: the memo, or the log view the choices need.
  // Line breaks as CR LF, as the memo gives them.
  std::string Shown() {
    TLogView* log = FeatureOf<PanelWholeSession>(0).View();
    if (!log->Visible.Get()) return MemoText(form->Memo1);
    const String kept = log->Text();
    std::string text;
    for (const char c : kept.Utf8()) text += c == '\n' ? std::string("\r\n") : std::string(1, c);
    return text;
  }
};

TEST_F(DisplayChoicesTest, UnchosenTheAreaShowsBytesAsItAlwaysDid) {
  EXPECT_FALSE(FeatureOf<PanelDisplay>(0).Choices().Any());
  Deliver(1, "\x1B[32mok\xD6\xD0\r\n");
  EXPECT_EQ(Shown(), "\x1B[32mok中\r\n");
}

TEST_F(DisplayChoicesTest, AnEncodingJoinsSplitCharactersAndShowsInvalidBytesByValue) {
  TMenuItem* utf8 = SubItem("编码", "UTF-8");
  ASSERT_NE(utf8, nullptr);
  utf8->Click();
  EXPECT_TRUE(utf8->Checked.Get());
  EXPECT_FALSE(SubItem("编码", "GBK")->Checked.Get());
  Deliver(1, "t=\xE6\xB8");
  Deliver(1, "\xA9 \xFF\r\n");
  EXPECT_EQ(Shown(), "t=温 ⟨FF⟩\r\n");
  SubItem("编码", "Big5")->Click();
  Deliver(1, "\xA4\xA4");
  EXPECT_EQ(Shown(), "t=温 ⟨FF⟩\r\n中");
}

TEST_F(DisplayChoicesTest, TerminalColoursTakeEscapeSequencesOutOfTheText) {
  MenuItem(form->Memo1, "终端颜色")->Click();
  Deliver(1, "\x1B[0;32mI (31) boot: ok\x1B[");
  Deliver(1,
          "0m\r\n\x1B[2J\x1B[1;1H\x1B]0;title\x07"
          "E\x07\r\n");
  EXPECT_EQ(Shown(), "I (31) boot: ok\r\nE\r\n");
}

TEST_F(DisplayChoicesTest, TheHexDumpShowsOffsetsAndCharactersFromTheLastClear) {
  form->RadioButton1->Checked = true;
  MenuItem(form->Memo1, "十六进制+字符")->Click();
  Deliver(1, "0123456789abcdefXY");
  EXPECT_EQ(Shown(),
            "00000000  30 31 32 33 34 35 36 37  38 39 61 62 63 64 65 66  |0123456789abcdef|\r\n"
            "00000010  58 59 ");
  form->Button4->Click();
  Deliver(1, "Z");
  EXPECT_EQ(Shown(), "00000000  5A ");
  // A frame gap ends a quiet line with its characters.
  SubItem("帧间隔", "2 毫秒")->Click();
  EXPECT_TRUE(TickUntil([&] { return Shown().find("|Z|") != std::string::npos; }));
}

TEST_F(DisplayChoicesTest, AFrameGapBetweenTwoReadsOfOneBlockStartsALineByTheirReadTimes) {
  form->RadioButton1->Checked = true;
  MenuItem(form->Memo1, "十六进制+字符")->Click();
  SubItem("帧间隔", "10 毫秒")->Click();
  // The port gathered three reads into one block: 30 ms of quiet before
  // the second, 5 ms before the third. The window sees them at one moment.
  FILETIME now;
  GetSystemTimePreciseAsFileTime(&now);
  const ULONGLONG start = ((static_cast<ULONGLONG>(now.dwHighDateTime) << 32) | now.dwLowDateTime) - 10'000'000;
  const auto at = [&](ULONGLONG ms) {
    const ULONGLONG time = start + ms * 10'000;
    return FILETIME{static_cast<DWORD>(time), static_cast<DWORD>(time >> 32)};
  };
  auto* block = new ReceivedBlock{};
  block->dwOpening = 1;
  block->dwCount = 6;
  const BYTE bytes[] = {1, 2, 3, 4, 5, 6};
  std::copy(std::begin(bytes), std::end(bytes), block->Bytes);
  block->dwMarks = 3;
  block->Marks[0] = {3, at(0)};
  block->Marks[1] = {5, at(30)};
  block->Marks[2] = {6, at(35)};
  form->Perform(kReceivedDataMessage, 1, reinterpret_cast<LPARAM>(block));
  const std::string shown = Shown();
  EXPECT_EQ(shown.rfind("00000000  01 02 03 ", 0), 0u) << shown;
  EXPECT_NE(shown.find(" |...|\r\n00000003  04 05 06 "), std::string::npos) << shown;
}

TEST_F(DisplayChoicesTest, SentTextIsShownInOrderAmongReceivedTextAndNotCountedAsReceived) {
  MenuItem(form->Memo1, "显示发送内容")->Click();
  Deliver(1, "prompt> ");
  form->Edit1->Text = "hello";
  form->Button2->Click();
  EXPECT_EQ(ReceiveAtFarEnd(1, 5), "hello");
  Deliver(1, "world\r\n");
  EXPECT_EQ(Shown(), "prompt> \r\n→ hello\r\nworld\r\n");
  // The blocks here are posted past the channel, which counts none: the
  // echo adds nothing to R: either.
  EXPECT_EQ(form->Channels[0]._dwDelivered.load(), 0u);
}

TEST_F(DisplayChoicesTest, ASendEchoedInPartsIsOneLineUntilReceivedBytesComeBetween) {
  MenuItem(form->Memo1, "显示发送内容")->Click();
  form->RadioButton1->Checked = true;  // hex without the dump: received bytes go the plain way
  form->Panels[0]->BytesWent(reinterpret_cast<const BYTE*>("A"), 1,
                             true);  // the parts of a paced send, as the port took them
  form->Panels[0]->BytesWent(reinterpret_cast<const BYTE*>("B"), 1, true);
  Deliver(1, "x");
  form->Panels[0]->BytesWent(reinterpret_cast<const BYTE*>("C"), 1, true);
  form->Panels[0]->BytesWent(reinterpret_cast<const BYTE*>(""), 0, false);
  form->ShowReceivedText();
  EXPECT_EQ(Shown(), "→ 41 42 \r\n78 \r\n→ 43 \r\n");
  EXPECT_EQ(PanelSentBytes[0], 3u);

  // Echo turned off before a send's rest went: the next send echoed is a
  // line of its own.
  form->Panels[0]->BytesWent(reinterpret_cast<const BYTE*>("D"), 1, true);
  MenuItem(form->Memo1, "显示发送内容")->Click();
  form->Panels[0]->BytesWent(reinterpret_cast<const BYTE*>("E"), 1, false);
  MenuItem(form->Memo1, "显示发送内容")->Click();
  form->Panels[0]->BytesWent(reinterpret_cast<const BYTE*>("F"), 1, false);
  form->ShowReceivedText();
  EXPECT_EQ(Shown(), "→ 41 42 \r\n78 \r\n→ 43 \r\n→ 44 \r\n→ 46 \r\n");
}

TEST_F(DisplayChoicesTest, TextIsSentInThePanelsEncoding) {
  Choose([](DisplayChoices& choices) { choices.CodePage = CP_UTF8; });
  form->Edit1->Text = "温度";
  form->Button2->Click();
  EXPECT_EQ(ReceiveAtFarEnd(1, 6), "\xE6\xB8\xA9\xE5\xBA\xA6");
  EXPECT_EQ(PanelSentBytes[0], 6u);
  Choose([](DisplayChoices& choices) { choices.CodePage = 1200; });
  form->Edit1->Text = "A中";
  form->Button2->Click();
  EXPECT_EQ(ReceiveAtFarEnd(1, 4), std::string("A\0\x2D\x4E", 4));
}

TEST_F(DisplayChoicesTest, ChoicesAreRememberedPerPanel) {
  Choose([](DisplayChoices& choices) {
    choices.CodePage = 932;
    choices.Colours = choices.HexDump = choices.Echo = true;
    choices.FrameGap = 50;
  });
  TIniFile ini(String(::testing::TempDir() + "display.ini"));
  FeatureOf<PanelDisplay>(0).SaveChoices(ini, "Panel1");
  ini.WriteInteger("Panel1", "FrameGap", 1);  // out of range: none
  FeatureOf<PanelDisplay>(1).LoadChoices(ini, "Panel1");
  DisplayChoices expected = FeatureOf<PanelDisplay>(0).Choices();
  expected.FrameGap = 0;
  EXPECT_EQ(FeatureOf<PanelDisplay>(1).Choices(), expected);
}

}  // namespace
