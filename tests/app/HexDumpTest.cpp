// The hex dump: offsets, the character column and frame gaps.
#include <gtest/gtest.h>

#include <string>

#include "HexDump.h"

namespace {

class Dumped : public DumpSink {
 public:
  void DumpText(std::string_view Text, bool Stamp) override {
    text += Stamp ? "<" + std::string(Text) + ">" : std::string(Text);
  }
  std::string text;
};

std::string Bytes(unsigned First, unsigned Count) {
  std::string bytes;
  for (unsigned i = 0; i < Count; ++i) bytes += static_cast<char>(First + i);
  return bytes;
}

void Take(HexDump& Dump, const std::string& Text, ULONGLONG Now, Dumped& Out, std::string_view Stamp = {}) {
  Dump.Take(reinterpret_cast<const BYTE*>(Text.data()), static_cast<DWORD>(Text.size()), Now, Stamp, Out);
}

TEST(HexDump, LinesOfSixteenBytesCarryOffsetsPairsAndCharacters) {
  HexDump dump;
  Dumped out;
  Take(dump, "Hello\r\n" + Bytes(0, 9) + "0123", 0, out);
  EXPECT_EQ(out.text,
            "00000000  48 65 6C 6C 6F 0D 0A 00  01 02 03 04 05 06 07 08  |Hello...........|\n"
            "00000010  30 31 32 33 ");
  // The line goes on with the next delivery, and ends padded so that its
  // character column lines up with the others.
  Take(dump, "~\x7F", 0, out);
  dump.EndLine(out);
  EXPECT_EQ(out.text.substr(out.text.find("00000010")),
            "00000010  30 31 32 33 7E 7F                                 |0123~.|\n");
  const size_t second = out.text.find('\n') + 1;
  EXPECT_EQ(out.text.find('|'), out.text.find('|', second) - second);
  EXPECT_EQ(dump.Offset(), 22u);
  // Exactly one line's worth ends the line on its last byte.
  HexDump whole;
  Dumped wholeOut;
  Take(whole, Bytes('a', 16), 0, wholeOut);
  EXPECT_FALSE(whole.LineOpen());
  EXPECT_EQ(wholeOut.text, "00000000  61 62 63 64 65 66 67 68  69 6A 6B 6C 6D 6E 6F 70  |abcdefghijklmnop|\n");
}

TEST(HexDump, AFrameGapStartsALineOnlyAfterThatMuchQuiet) {
  HexDump dump;
  dump.SetFrameGap(10);
  Dumped out;
  Take(dump, "\x01\x02", 100, out);
  Take(dump, "\x03", 109, out);  // 9 ms: the same frame
  EXPECT_TRUE(dump.LineOpen());
  dump.EndIfQuiet(118, out);  // 9 ms after the last byte
  EXPECT_TRUE(dump.LineOpen());
  dump.EndIfQuiet(119, out);  // 10 ms: the frame ended
  EXPECT_FALSE(dump.LineOpen());
  Take(dump, "\x04", 500, out, "[t] ");
  EXPECT_EQ(out.text,
            "00000000  01 02 03                                          |...|\n"
            "<[t] >00000003  04 ");
  // A frame that ends with a full line starts no empty line.
  HexDump full;
  full.SetFrameGap(2);
  Dumped fullOut;
  Take(full, Bytes(0x41, 16), 0, fullOut);
  Take(full, "Z", 50, fullOut);
  EXPECT_EQ(fullOut.text.substr(fullOut.text.find('\n') + 1), "00000010  5A ");
}

TEST(HexDump, StampsStartEachLineAndClearingStartsAtOffsetZero) {
  HexDump dump;
  Dumped out;
  Take(dump, Bytes(0x30, 20), 0, out, "[s] ");
  EXPECT_EQ(out.text.find("<[s] >00000000"), 0u);
  EXPECT_NE(out.text.find("|\n<[s] >00000010  "), std::string::npos);
  dump.Clear();
  Dumped after;
  Take(dump, "x", 0, after);
  EXPECT_EQ(after.text, "00000000  78 ");
}

}  // namespace
