// The panel's own sends among what it receives: a send handed on in parts
// (paced) is one "→ " line as a send handed on whole is, in text and in
// hex, stamped once; other text between its parts ends its line.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include <toolkit/toolkit.h>

#include "AnsiTextCarry.h"
#include "StyledReceive.h"

namespace {

class SentEcho : public ::testing::Test {
 protected:
  SentEcho() {
    DisplayChoices choices;
    choices.Echo = true;
    styled.SetChoices(choices);
  }
  void Echo(const std::string& bytes, bool more, bool hex = false, const Stamping* stamps = nullptr) {
    styled.Echo(reinterpret_cast<const BYTE*>(bytes.data()), static_cast<DWORD>(bytes.size()), hex, more, stamps);
  }
  void Receive(const std::string& bytes) {
    auto block = std::make_unique<ReceivedBlock>();
    block->dwOpening = 1;
    block->dwCount = static_cast<DWORD>(bytes.size());
    bytes.copy(reinterpret_cast<char*>(block->Bytes), bytes.size());
    styled.Take(*block, false, false, 0, nullptr);
  }
  std::string Shown() const {
    const std::u16string& text = carry.Text();
    std::string utf8(3 * text.size(), '\0');
    utf8.resize(static_cast<size_t>(WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                                        utf8.data(), static_cast<int>(utf8.size()), nullptr, nullptr)));
    return utf8;
  }

  AnsiTextCarry carry;
  StyledReceive styled{carry};
};

TEST_F(SentEcho, ASendInPartsIsOneLineAsAWholeSendIs) {
  Echo("AB", true);
  EXPECT_EQ(Shown(), "→ AB") << "the line waits for the send's rest";
  Echo("C", true);
  Echo("DEF", false);
  EXPECT_EQ(Shown(), "→ ABCDEF\r\n");
  Echo("G", false);
  EXPECT_EQ(Shown(), "→ ABCDEF\r\n→ G\r\n") << "the next send starts its own line";

  // A send's rest may come as no bytes (the rest was dropped): it ends the line.
  Echo("H", true);
  Echo("", false);
  EXPECT_EQ(Shown(), "→ ABCDEF\r\n→ G\r\n→ H\r\n");
  Echo("", false);
  EXPECT_EQ(Shown(), "→ ABCDEF\r\n→ G\r\n→ H\r\n") << "no send open, nothing shown";
}

TEST_F(SentEcho, APartedSendKeepsItsLineBreaksAndCharactersSplitBetweenParts) {
  Echo("ab\r", true);
  Echo("\ncd\r\n", false);
  EXPECT_EQ(Shown(), "→ ab\r\ncd\r\n") << "CR and LF in two parts are one line break";

  DisplayChoices choices = styled.Choices();
  choices.CodePage = CP_UTF8;
  styled.SetChoices(choices);
  Echo("\xE6", true);  // 温 is E6 B8 A9
  Echo("\xB8\xA9!", false);
  EXPECT_EQ(Shown(), "→ ab\r\ncd\r\n→ 温!\r\n");
  Echo("\xE6", true);
  Echo("", false);
  EXPECT_EQ(Shown(), "→ ab\r\ncd\r\n→ 温!\r\n→ ⟨E6⟩\r\n") << "a character the send left unfinished";
}

TEST_F(SentEcho, HexPartsContinueTheLineAndStampsMarkItsStartOnly) {
  TimeStamper stamper;
  const Stamping stamps{stamper, u"[12:00:00.000] "};
  Echo("AB", true, true, &stamps);
  Echo("C", false, true, &stamps);
  EXPECT_EQ(Shown(), "[12:00:00.000] → 41 42 43 \r\n");
  Echo("x", true, false, &stamps);
  Echo("y\r\nz", false, false, &stamps);
  EXPECT_EQ(Shown(), "[12:00:00.000] → 41 42 43 \r\n[12:00:00.000] → xy\r\n[12:00:00.000] z\r\n");
}

TEST_F(SentEcho, ReceivedTextBetweenPartsEndsTheLineAndTheRestStartsAnother) {
  Receive("prompt> ");
  Echo("AB", true);
  EXPECT_EQ(Shown(), "prompt> \r\n→ AB");
  Receive("ok");
  Echo("CD", false);
  Receive("done\r\n");
  EXPECT_EQ(Shown(), "prompt> \r\n→ AB\r\nok\r\n→ CD\r\ndone\r\n");

  // Emptied views and ended echoes start afresh.
  Echo("E", true);
  styled.ViewEmptied();
  carry.Forget();
  Echo("F", true);
  EXPECT_EQ(Shown(), "→ F");
  styled.EndEcho(nullptr);
  Echo("G", false);
  EXPECT_EQ(Shown(), "→ F\r\n→ G\r\n");
}

}  // namespace
