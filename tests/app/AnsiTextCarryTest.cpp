// The carry's text as the memo will hold it: line breaks paired while the
// bytes are carried, double-byte characters whole across blocks and zero
// bytes, and an ANSI length that is the one the memo's text will measure.
#include <gtest/gtest.h>

#include <random>
#include <string>

#include <toolkit/toolkit.h>

#include "AnsiTextCarry.h"

namespace {

std::string Utf8Of(const std::u16string& wide) {
  if (wide.empty()) return "";
  const int size = static_cast<int>(wide.size());
  std::string utf8(3 * wide.size(), '\0');
  utf8.resize(static_cast<size_t>(WideCharToMultiByte(CP_UTF8, 0, wide.data(), size, utf8.data(),
                                                      static_cast<int>(utf8.size()), nullptr, nullptr)));
  return utf8;
}

// Takes each block in turn; returns the text as UTF-8.
std::string Carried(AnsiTextCarry& carry, std::initializer_list<std::string> blocks) {
  for (const std::string& block : blocks)
    carry.Take(reinterpret_cast<const BYTE*>(block.data()), static_cast<DWORD>(block.size()), nullptr);
  return Utf8Of(carry.Text());
}

const std::string kBroken = "\xEF\xBF\xBD";  // U+FFFD in UTF-8

TEST(AnsiTextCarry, PairsLineBreaksWhileCarryingThemAsTheMemoPairsEachBlocksText) {
  AnsiTextCarry carry;
  EXPECT_EQ(Carried(carry, {"a\rb\nc\r\nd"}), "a\r\nb\r\nc\r\nd");
  carry.Forget();
  EXPECT_EQ(Carried(carry, {std::string("e\r\0\0\nf", 6)}), "e\r\nf") << "zero bytes are not there";
  carry.Forget();
  // A block's lone CR is a break of its own, as the memo's setter makes it;
  // the next block's LF is then another.
  EXPECT_EQ(Carried(carry, {"g\r", "\nh"}), "g\r\n\r\nh");
  EXPECT_EQ(carry.AnsiLength(), 6);
}

TEST(AnsiTextCarry, ADoubleByteCharacterIsWholeAcrossBlocksAndZeroBytes) {
  AnsiTextCarry carry;
  EXPECT_EQ(Carried(carry, {"x\xD6", std::string("\0", 1), std::string("\0\xD0y", 3)}), "x中y");
  EXPECT_EQ(carry.AnsiLength(), 4);
  carry.Forget();
  EXPECT_EQ(Carried(carry, {std::string("\xCE\0\xC4", 3)}), "文");
  carry.Forget();
  // A lead byte before a byte that cannot end a character shows broken, and
  // that byte is itself: here a line break.
  EXPECT_EQ(Carried(carry, {"\xD6", "\r\nA"}), kBroken + "\r\nA");
  EXPECT_EQ(carry.AnsiLength(), 1 + 2 + 1);
}

// The length the memo's ANSI text has for the carry's text: measured by
// converting it, which the carry must not need to do.
int MeasuredAnsiLength(const std::u16string& wide) {
  if (wide.empty()) return 0;
  return WideCharToMultiByte(CP_ACP, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0, nullptr, nullptr);
}

TEST(AnsiTextCarry, CountsTheAnsiLengthTheTextMeasuresForAnyBytesInAnyBlocks) {
  std::mt19937 random(20261209);
  for (int run = 0; run < 20; ++run) {
    SCOPED_TRACE("run " + std::to_string(run));
    AnsiTextCarry carry;
    TimeStamper stamper;
    const Stamping stamps{stamper, u"[00:00:00.000] "};
    for (int block = 0; block < 40; ++block) {
      // Every byte value; half the runs mostly Chinese text and line breaks.
      std::string bytes(random() % 64, '\0');
      for (char& byte : bytes) byte = static_cast<char>(run % 2 ? random() : "\xD6\xD0\xCE\xC4\r\n\0a"[random() % 8]);
      const BYTE* data = reinterpret_cast<const BYTE*>(bytes.data());
      const DWORD count = static_cast<DWORD>(bytes.size());
      const Stamping* stamping = block % 3 == 0 ? &stamps : nullptr;
      if (random() % 5 == 0)
        carry.TakeHex(data, count, stamping);
      else
        carry.Take(data, count, stamping);
      if (random() % 7 == 0) carry.LetGoHeldByte(stamping);
      ASSERT_EQ(carry.AnsiLength(), MeasuredAnsiLength(carry.Text())) << "after block " << block;
    }
  }
}

TEST(AnsiTextCarry, CountsACharacterTheCodePageLacksAsTheOneByteItShowsAs) {
  // A1 40 is a lead and a second byte that GBK gives no character: it shows
  // broken, '?' in the ANSI text.
  AnsiTextCarry carry;
  EXPECT_EQ(Carried(carry, {"\xA1\x40z"}), kBroken + "z");
  EXPECT_EQ(carry.AnsiLength(), 2);
}

}  // namespace
