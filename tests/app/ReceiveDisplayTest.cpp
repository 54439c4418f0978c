#include "MainWindowTest.h"

#include <algorithm>
#include <random>

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

TEST_F(ReceiveDisplay, ABlockWithNothingToShowChangesNothingAndScrollsNothing) {
  const std::string full(5000, 'k');  // past the limit: any shown text would empty it first
  form->Memo1->Text = full;
  form->Memo1->SelStart = 10;
  for (const std::string& nothing : {std::string(), std::string("\0\0\0", 3), std::string("\xD6")}) {
    Deliver(1, nothing);
    EXPECT_EQ(MemoText(form->Memo1), full);
    EXPECT_EQ(form->Memo1->SelStart.Get(), 10) << "not scrolled";
  }
  Deliver(1, "\xD0");  // the held lead byte's partner
  EXPECT_EQ(MemoText(form->Memo1), "中");
}

TEST_F(ReceiveDisplay, InHexModeAHeldLeadByteShowsAsItsPair) {
  Deliver(1, "x\xD6");
  EXPECT_EQ(MemoText(form->Memo1), "x");
  form->RadioButton1->Checked = true;
  Deliver(1, "A");
  EXPECT_EQ(MemoText(form->Memo1), "xD6 41 ");
  EXPECT_EQ(MemoText(form->Memo1).find("\xEF\xBF\xBD"), std::string::npos) << "no replacement character";
}

TEST_F(ReceiveDisplay, AHeldLeadByteBelongsToItsOpeningAndShowsBrokenWhenItEnds) {
  const std::string broken = "\xEF\xBF\xBD";  // U+FFFD
  const ReadData* channel = &form->Channels[0];
  Deliver(1, "x\xD6", channel, 1);
  Deliver(1, "\xD6\xD0", channel, 2);  // the port opened again: D6 gets no partner
  EXPECT_EQ(MemoText(form->Memo1), "x" + broken + "中");
  Deliver(1, "y\xD6", channel, 2);
  Deliver(1, "", channel, 2, true);  // the port closed
  EXPECT_EQ(MemoText(form->Memo1), "x" + broken + "中y" + broken);
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

namespace {

// The receive area's rule written out plainly, block by block, on the ANSI
// text of a well-formed byte stream whose character boundaries are known.
class ReferenceMemo {
 public:
  explicit ReferenceMemo(std::vector<size_t> boundaries) : boundaries_(std::move(boundaries)) {}

  // The block of the stream ending at `end`, shown in text or hex mode.
  void Show(const std::string& stream, size_t end, bool hex) {
    std::string shown;
    if (hex) {
      for (size_t i = shownUpTo_; i < end; ++i) {
        static const char kDigits[] = "0123456789ABCDEF";
        const auto byte = static_cast<unsigned char>(stream[i]);
        shown += {kDigits[byte >> 4], kDigits[byte & 15], ' '};
      }
      shownUpTo_ = end;
    } else {
      // Whole characters only; zero bytes are not shown.
      size_t whole = shownUpTo_;
      for (size_t boundary : boundaries_)
        if (boundary <= end) whole = std::max(whole, boundary);
      for (size_t i = shownUpTo_; i < whole; ++i)
        if (stream[i] != 0) shown += stream[i];
      shownUpTo_ = whole;
    }
    if (shown.empty()) return;
    if (text.size() > 4096) text.clear();
    text = PairLineBreaks(text + shown);
  }

  std::string text;  // ANSI, as the memo holds it

 private:
  static std::string PairLineBreaks(const std::string& text) {
    std::string paired;
    for (size_t i = 0; i < text.size(); ++i) {
      if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
        paired += "\r\n";
        ++i;
      } else if (text[i] == '\r' || text[i] == '\n') {
        paired += "\r\n";
      } else {
        paired += text[i];
      }
    }
    return paired;
  }

  std::vector<size_t> boundaries_;  // positions where a character ends
  size_t shownUpTo_ = 0;
};

TEST_F(ReceiveDisplay, AfterAnyRunOfBlocksTheMemoHoldsWhatTheRuleGivesBlockByBlock) {
  std::mt19937 random(20240611);
  for (int run = 0; run < 4; ++run) {
    SCOPED_TRACE("run " + std::to_string(run));
    form->Button4->Click();  // Clear
    form->RadioButton1->Checked = false;
    // Letters, line breaks of every kind, zero bytes and Chinese characters.
    const std::vector<std::string> tokens = {"a", "Z", "7", " ", "\r", "\n", "\r\n", std::string(1, '\0'), "中", "文"};
    std::string stream;
    std::vector<size_t> boundaries;
    while (stream.size() < 20000) {
      std::string token = tokens[random() % tokens.size()];
      if (token == "中" || token == "文") {
        stream += AnsiString(String(token)).Bytes();  // one character of two bytes
        boundaries.push_back(stream.size());
        continue;
      }
      for (char byte : token) {
        stream += byte;
        boundaries.push_back(stream.size());
      }
    }
    ReferenceMemo reference(boundaries);

    size_t position = 0;
    while (position < stream.size()) {
      const size_t count = std::min<size_t>(stream.size() - position, 1 + random() % (run < 2 ? 40 : 2048));
      // The switch is turned between characters (turned within one, the
      // halves would be shown each its own way).
      const bool betweenCharacters = std::binary_search(boundaries.begin(), boundaries.end(), position);
      if (betweenCharacters && random() % 50 == 0) form->RadioButton1->Checked = !form->RadioButton1->Checked;
      const bool hex = form->RadioButton1->Checked;
      Post(1, stream.substr(position, count), &form->Channels[0]);
      position += count;
      reference.Show(stream, position, hex);
      // The user sees the memo at some frames, not after every block.
      if (random() % 7 == 0 || position == stream.size()) {
        form->ShowReceivedText();
        ASSERT_EQ(AnsiString(form->Memo1->Text).Bytes(), reference.text) << "after byte " << position;
      }
    }
  }
}

TEST_F(ReceiveDisplay, TheMemoFollowsWithinAFrameWhileSeenAndDoesNoWorkWhileMinimised) {
  form->Show();
  Post(1, "abc");
  EXPECT_EQ(WidgetText(form->Memo1), "") << "not rebuilt per block";
  EXPECT_TRUE(WaitUntil([&] {
    ProcessMessagesFor(5);
    return WidgetText(form->Memo1) == "abc";
  }));

  form->WindowState = wsMinimized;
  ProcessMessagesFor(20);
  ASSERT_EQ(form->WindowState.Get(), wsMinimized);
  Post(1, "def");
  for (int i = 0; i < 3; ++i) Post(1, std::string(2000, 'g'));  // past the limit: the memo is emptied next
  Post(1, "hij");
  ProcessMessagesFor(300);
  EXPECT_EQ(WidgetText(form->Memo1), "abc") << "a minimised window's memo is left alone";

  form->WindowState = wsNormal;
  EXPECT_TRUE(WaitUntil([&] {
    ProcessMessagesFor(5);
    return WidgetText(form->Memo1) == "hij";
  })) << WidgetText(form->Memo1).size();
}

TEST_F(ReceiveDisplay, BytesReadBeforeAPanelClosesShowInThatPanelNeverInDevice1s) {
  AddFarEnd(5);
  AddFarEnd(6);
  OpenPanel(1, 5);
  SendFromFarEnd(5, "late");
  ASSERT_TRUE(WaitUntil([&] { return form->Channels[1]._dwBytesRead == 4; }));
  form->Button6->Click();  // closed before any tick delivered the bytes
  ASSERT_TRUE(PortToPanel.empty());
  ProcessMessagesFor(20);
  form->ShowReceivedText();
  EXPECT_EQ(MemoText(form->Memo2), "late");
  EXPECT_EQ(MemoText(form->Memo1), "");
  EXPECT_EQ(form->Channels[1]._dwDelivered.load(), 4u);

  // A block already on its way when the panel closed, and the panel opened
  // again on another port: still device 2's.
  OpenPanel(1, 6);
  Deliver(5, "more", &form->Channels[1]);
  EXPECT_EQ(MemoText(form->Memo2), "latemore");
  EXPECT_EQ(MemoText(form->Memo1), "");
}

TEST_F(ReceiveDisplay, ABurstOfManyTicksWorthShowsWholeAndInOrderAndIsCountedExactly) {
  AddFarEnd(5);
  OpenPanel(1, 5);
  std::string burst;
  for (size_t i = 0; i < 100'000; ++i) burst += static_cast<char>('!' + (i + i / 94) % 94);
  SendFromFarEnd(5, burst);
  // One tick's worth is 2048 bytes; the burst needs none but the last.
  ASSERT_TRUE(WaitUntil([&] {
    ProcessMessagesFor(5);
    return form->Channels[1]._dwDelivered >= burst.size() - 2047;
  }));
  ASSERT_TRUE(TickUntil([&] { return form->Channels[1]._dwDelivered == burst.size(); }));
  form->ShowReceivedText();
  const std::string shown = MemoText(form->Memo2);
  ASSERT_FALSE(shown.empty());
  EXPECT_TRUE(burst.ends_with(shown)) << "the newest text, in order";
  Tick(3);
  EXPECT_EQ(form->StatusBar1->Panels->Items[2]->Text.Get().Utf8(), "COM5: S:     0 R:100000");
}

// The plain way to show blocks, one at a time, on a memo of its own: the bytes
// up to a lead byte without its partner (held for the next block), zero
// bytes left out, converted from the ANSI code page; the memo emptied when
// its ANSI text is longer than 4096 bytes; its text set to itself and the
// new text, which pairs the line breaks.
class BlockByBlockMemo {
 public:
  explicit BlockByBlockMemo(TForm* form) : memo_(new TMemo(form)) { memo_->Parent = form; }

  void Show(const std::string& block) {
    std::string bytes;
    bytes.swap(held_);
    for (char byte : block)
      if (byte != '\0') bytes += byte;
    for (size_t i = 0; i < bytes.size(); i += 2) {
      if (!IsDBCSLeadByte(static_cast<BYTE>(bytes[i]))) {
        --i;
      } else if (i + 1 == bytes.size()) {
        held_ = bytes.substr(i);
        bytes.resize(i);
      }
    }
    if (bytes.empty()) return;
    if (AnsiString(memo_->Text).Length() > 4096) memo_->Clear();
    memo_->Text = memo_->Text + String(AnsiString(bytes.data(), static_cast<int>(bytes.size())));
  }
  std::string Text() const { return memo_->Text.Get().Utf8(); }

 private:
  TMemo* memo_;
  std::string held_;
};

TEST_F(ReceiveDisplay, AnyBytesInAnyBlocksShowAsAMemoShowingEachBlockAtOnceShowsThem) {
  // Every byte value: characters GBK lacks, lead bytes before bytes that
  // cannot follow them, line breaks split between blocks, zero bytes. The
  // area counts the memo's length as it carries the text; the plain way
  // measures the memo's text each time.
  std::mt19937 random(20261209);
  BlockByBlockMemo plain(form);
  std::string stream(30000, '\0');
  for (char& byte : stream) byte = static_cast<char>(random() % 4 ? random() : "\r\n\xD6\0"[random() % 4]);
  size_t position = 0;
  while (position < stream.size()) {
    const size_t count = std::min<size_t>(stream.size() - position, 1 + random() % 300);
    const std::string block = stream.substr(position, count);
    position += count;
    Post(1, block, &form->Channels[0]);
    plain.Show(block);
    if (random() % 5 == 0 || position == stream.size()) {
      form->ShowReceivedText();
      ASSERT_EQ(form->Memo1->Text.Get().Utf8(), plain.Text()) << "after byte " << position;
    }
  }
}

TEST_F(ReceiveDisplay, TextTheMemoGotElsewhereCountsTowardTheLimit) {
  Deliver(1, std::string(2000, 'x'));
  Deliver(1, std::string(2000, 'x'));
  // Emptied by other means than the area's Clear: what comes next is
  // added to an empty memo, and counted from there.
  form->Memo1->Lines->Clear();
  Deliver(1, std::string(200, 'y'));
  Deliver(1, "z");
  EXPECT_EQ(MemoText(form->Memo1), std::string(200, 'y') + "z");
  // Filled by other means: the next text empties it first.
  form->Memo1->Text = std::string(5000, 'k');
  Deliver(1, "w");
  EXPECT_EQ(MemoText(form->Memo1), "w");
}

}  // namespace
