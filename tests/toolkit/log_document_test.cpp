// The log view's store: UTF-8 in blocks with style runs, rows, lines and
// UTF-16 counts made again from it, checked against the plain text they
// stand for, across block ends and past the limit.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "log_document.h"

namespace {

constexpr std::uint64_t kBlock = LogDocument::kBlockBytes;

// UTF-16 units of UTF-8 text.
std::uint64_t Units(const std::string& text) {
  std::uint64_t units = 0;
  for (unsigned char c : text) units += (c & 0xC0) == 0x80 ? 0 : c >= 0xF0 ? 2 : 1;
  return units;
}

// Lines of varied length and script, some long enough to be cut into rows.
std::string VariedLines(int count) {
  std::string text;
  for (int i = 0; i < count; ++i) {
    text += "line " + std::to_string(i) + " ";
    if (i % 7 == 3) text += "温度 23℃ 湿度 40% ";
    if (i % 11 == 5) text += "\U0001F600 ";
    if (i % 97 == 13)
      for (int j = 0; j < 150; ++j) text += j % 5 ? "ab" : "中文";  // a line of rows, no blanks
    if (i % 89 == 7)
      for (int j = 0; j < 300; ++j) text += "word ";
    text += "\n";
  }
  return text;
}

// Checks rows, lines and UTF-16 counts against the kept text itself.
void ExpectIndexesAgree(const LogDocument& document) {
  const std::string text = document.Slice(document.Begin(), document.End());
  const std::uint64_t begin = document.Begin();
  // Rows: in order, end to end, each a line or a piece of at most
  // kRowBytes of one, never ending inside a character.
  std::uint64_t expectedStart = begin;
  for (std::uint64_t i = 0; i < document.RowCount(); ++i) {
    const LogDocument::Row row = document.RowAt(i);
    ASSERT_EQ(row.start, expectedStart) << "row " << i;
    ASSERT_LE(row.end - row.start, LogDocument::kRowBytes) << "row " << i;
    ASSERT_EQ(row.lineStart, row.start == begin || text[row.start - begin - 1] == '\n') << "row " << i;
    ASSERT_EQ(document.RowOf(row.start), i);
    ASSERT_EQ(document.RowOf((row.start + row.end) / 2), i);
    if (row.end < document.End()) {
      const bool broken = text[row.end - begin] == '\n';
      if (!broken) {
        ASSERT_NE(static_cast<unsigned char>(text[row.end - begin]) & 0xC0, 0x80) << "row " << i;
      }
      expectedStart = broken ? row.end + 1 : row.end;
    } else {
      ASSERT_EQ(i + 1, document.RowCount()) << "only the last row reaches the end";
    }
  }
  // Lines and UTF-16 counts at every 331st byte and at each block's ends.
  std::vector<std::uint64_t> probes;
  for (std::uint64_t p = begin; p <= document.End(); p += 331) probes.push_back(p);
  for (std::uint64_t b = begin / kBlock + 1; b * kBlock <= document.End(); ++b)
    for (std::uint64_t p = b * kBlock - 2; p <= b * kBlock + 2 && p <= document.End(); ++p) probes.push_back(p);
  for (std::uint64_t p : probes) {
    const std::size_t at = std::size_t(p - begin);
    const std::size_t lineStart = at == 0 ? 0 : text.rfind('\n', at - 1) + 1;  // npos + 1 is 0
    const std::size_t lineEnd = std::min(text.find('\n', at), text.size());
    ASSERT_EQ(document.LineStartOf(p), begin + lineStart) << "at " << p;
    ASSERT_EQ(document.LineEndOf(p), begin + lineEnd) << "at " << p;
    std::size_t characterStart = at;
    while (characterStart > 0 && characterStart < text.size() &&
           (static_cast<unsigned char>(text[characterStart]) & 0xC0) == 0x80)
      --characterStart;
    const std::uint64_t units = document.BeginUnits() + Units(text.substr(0, characterStart));
    ASSERT_EQ(document.UnitsAt(begin + characterStart), units) << "at " << p;
    ASSERT_EQ(document.PositionOfUnits(units), begin + characterStart) << "at " << p;
  }
  ASSERT_EQ(document.EndUnits(), document.BeginUnits() + Units(text));
}

TEST(LogDocumentTest, LineBreaksOfEveryKindEndOneLineAndTextBecomesValidUtf8) {
  LogDocument document;
  document.Append(u"a\r", 0);
  document.Append(u"\nb\rc\n\nd\r", 0);
  document.AppendUtf8("\ne\r\nf", 0);
  EXPECT_EQ(document.Slice(document.Begin(), document.End()), "a\nb\nc\n\nd\ne\nf");
  // Kept bytes are the UTF-8 size, a line break one.
  document.Clear();
  document.Append(u"中x\U0001F600\n", 0);
  EXPECT_EQ(document.KeptBytes(), 3u + 1u + 4u + 1u);
  EXPECT_EQ(document.EndUnits(), 5u);
  // A surrogate pair split between appends is one character; a lone
  // surrogate and bytes that are not UTF-8 become U+FFFD.
  document.Clear();
  const std::u16string smile = u"\U0001F600";
  document.Append(std::u16string_view(smile).substr(0, 1), 0);
  document.Append(std::u16string_view(smile).substr(1), 0);
  document.Append(u"\xDC00|", 0);
  document.AppendUtf8("\xE4\xB8|\xFF|\xC0\x80|\xED\xA0\x80|\xE4", 0);
  EXPECT_EQ(document.Slice(document.Begin(), document.End()),
            "\U0001F600\uFFFD|\uFFFD\uFFFD|\uFFFD|\uFFFD\uFFFD|\uFFFD\uFFFD\uFFFD|");
  // A sequence cut at the end of one append waits for its rest; it never
  // comes from UTF-16 text.
  document.AppendUtf8("\xB8\xAD\xE6", 0);
  document.Append(u"!", 0);
  EXPECT_EQ(document.Slice(document.End() - 8, document.End()), "|中\uFFFD!");
}

TEST(LogDocumentTest, RowsLinesAndCountsHoldAcrossBlockEnds) {
  LogDocument document;
  const std::string text = VariedLines(6000);
  ASSERT_GT(text.size(), 5 * kBlock);
  // In pieces of every size, so that appends end anywhere in a block.
  for (std::size_t at = 0, piece = 1; at < text.size(); at += piece, piece = piece % 3001 + 7)
    document.AppendUtf8(text.substr(at, piece), 0);
  EXPECT_EQ(document.Slice(document.Begin(), document.End()), text);
  EXPECT_GT(document.RowCount(), 6000u);
  ExpectIndexesAgree(document);
}

TEST(LogDocumentTest, ACharacterSplitAtABlockEndIsWholeEverywhere) {
  for (std::size_t lead : {1, 2, 3}) {
    SCOPED_TRACE(lead);
    LogDocument document;
    // 中 (3 bytes) then 😀 (4 bytes) straddle the first block's end, each
    // appended alone, and a line starts just after them.
    document.AppendUtf8(std::string(kBlock - lead, 'x'), 0);
    document.AppendUtf8("中", 1);
    document.AppendUtf8(std::string(kBlock - 3, 'y'), 0);
    document.AppendUtf8("\U0001F600\nz", 2);
    const std::uint64_t han = kBlock - lead;
    EXPECT_EQ(document.Slice(han, han + 3), "中");
    EXPECT_EQ(document.StyleAt(han), 1u);
    EXPECT_EQ(document.StyleAt(han + 2), 1u);
    EXPECT_EQ(document.StyleAt(han + 3), 0u);
    EXPECT_EQ(document.UnitsAt(han + 3), han + 1);
    EXPECT_EQ(document.PositionOfUnits(han), han);
    EXPECT_EQ(document.PositionOfUnits(han + 1), han + 3);
    const std::uint64_t smile = 2 * kBlock - lead;
    EXPECT_EQ(document.Slice(smile, smile + 4), "\U0001F600");
    EXPECT_EQ(document.PositionOfUnits(document.UnitsAt(smile) + 1), smile)
        << "the pair's second unit is its character";
    ExpectIndexesAgree(document);
  }
}

TEST(LogDocumentTest, StyleRunsHoldAcrossBlockEndsAndLineBreaksKeepTheirLineStyle) {
  LogDocument document;
  std::vector<std::uint32_t> styles;  // by position, line breaks left out (-1)
  for (int i = 0; i < 3000; ++i) {
    const std::uint32_t style = std::uint32_t(i % 5 == 0 ? 0 : 1 + i % 3);
    const std::string piece = i % 4 == 0 ? "\n" : std::string(std::size_t(7 + i % 61), char('a' + i % 26));
    document.AppendUtf8(piece, style);
    for (char c : piece) styles.push_back(c == '\n' ? ~0u : style);
  }
  ASSERT_GT(document.End(), 2 * kBlock);
  for (std::uint64_t p = 0; p < document.End(); ++p) {
    if (styles[p] == ~0u) continue;
    ASSERT_EQ(document.StyleAt(p), styles[p]) << "at " << p;
    const std::uint64_t end = document.StyleEnd(p, document.End());
    ASSERT_GT(end, p);
    for (std::uint64_t q = p; q < end; ++q) ASSERT_TRUE(styles[q] == ~0u || styles[q] == styles[p]) << p << " " << q;
  }
  // Lines in one style make one run, their breaks with them.
  LogDocument same;
  for (int i = 0; i < 1000; ++i) same.AppendUtf8("I (12) wifi: connected\n", 3);
  EXPECT_EQ(same.StyleEnd(0, same.End()), std::min<std::uint64_t>(same.End(), kBlock));
}

TEST(LogDocumentTest, PastTheLimitTheOldestWholeLinesGoAndTheIndexesFollow) {
  LogDocument document;
  document.SetLimit(3 * kBlock);
  const std::string text = VariedLines(5000);
  std::string dropped;
  document.droppedText = &dropped;
  for (std::size_t at = 0; at < text.size(); at += 1000) document.AppendUtf8(text.substr(at, 1000), 0);
  EXPECT_LE(document.KeptBytes(), 3 * kBlock);
  EXPECT_GT(document.KeptBytes(), 3 * kBlock - 4000);
  EXPECT_EQ(document.KeptBytes() + document.DroppedBytes(), text.size());
  EXPECT_EQ(dropped + document.Slice(document.Begin(), document.End()), text);
  EXPECT_EQ(text[document.Begin() - 1], '\n') << "whole lines go";
  EXPECT_EQ(document.FirstBlock(), document.Begin() / kBlock) << "the blocks before are let go";
  EXPECT_EQ(document.BeginUnits(), Units(dropped));
  ExpectIndexesAgree(document);

  // A line longer than the limit keeps its newest part, cut at a row.
  document.AppendUtf8(std::string(4 * kBlock, 'x') + "END", 0);
  EXPECT_LE(document.KeptBytes(), 3 * kBlock + LogDocument::kRowBytes);
  EXPECT_EQ(document.Slice(document.End() - 3, document.End()), "END");
  ExpectIndexesAgree(document);
  // Lowering it drops at once; everything may go.
  document.AppendUtf8("\n", 0);
  EXPECT_TRUE(document.SetLimit(1));
  EXPECT_EQ(document.KeptBytes(), 0u);
  EXPECT_EQ(document.RowCount(), 1u);
  document.AppendUtf8("new\n", 0);
  EXPECT_EQ(document.Slice(document.Begin(), document.End()), "");
  document.SetLimit(0);
  document.AppendUtf8("kept\n", 0);
  EXPECT_EQ(document.Slice(document.Begin(), document.End()), "kept\n");
}

TEST(LogDocumentTest, BytesTakenForAnotherThreadStayAsTheyWereWhileTheTextMovesOn) {
  LogDocument document;
  document.SetLimit(2 * kBlock);
  const std::string first = VariedLines(800).substr(0, 2 * kBlock - 100);
  document.AppendUtf8(first, 0);
  const LogBytes bytes = document.Bytes();
  document.AppendUtf8(VariedLines(3000), 0);
  ASSERT_GT(document.Begin(), bytes.End()) << "all that was taken has been dropped";
  std::string read(bytes.End() - bytes.Begin(), '\0');
  bytes.CopyTo(bytes.Begin(), bytes.End(), read.data());
  EXPECT_EQ(read, first);
}

}  // namespace
