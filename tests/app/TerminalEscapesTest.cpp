// Terminal escape sequences: renditions become looks, everything else
// leaves the text.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "TerminalEscapes.h"

namespace {

struct StyledRun {
  std::u16string text;
  TTextStyle look;
  bool operator==(const StyledRun&) const = default;
};

// Runs of one look, neighbours of the same look joined (how deliveries
// split the text must not matter).
class Runs : public StyledSink {
 public:
  void Styled(std::u16string_view Text, const TTextStyle& Look) override {
    if (Text.empty()) return;
    if (!runs.empty() && runs.back().look == Look) {
      runs.back().text += Text;
    } else {
      runs.push_back({std::u16string(Text), Look});
    }
  }
  void InvalidByte(BYTE Byte) override { Styled(u"⟨" + std::u16string(1, Byte) + u"⟩", TTextStyle()); }
  std::u16string Plain() const {
    std::u16string text;
    for (const StyledRun& run : runs) text += run.text;
    return text;
  }
  std::vector<StyledRun> runs;
};

TTextStyle Fore(TColor Colour) {
  TTextStyle look;
  look.Fore = Colour;
  return look;
}

const std::u16string kEspIdf =
    u"\x1B[0;32mI (312) boot: ESP-IDF v5.1\x1B[0m\r\n"
    u"\x1B[0;33mW (320) spi_flash: 温度 23℃\x1B[0m\r\n"
    u"\x1B[0;31mE (330) app: failed\x1B[0m\r\n";

std::vector<StyledRun> EspIdfRuns() {
  return {{u"I (312) boot: ESP-IDF v5.1", Fore(PaletteColour(2))},  {u"\r\n", TTextStyle()},
          {u"W (320) spi_flash: 温度 23℃", Fore(PaletteColour(3))}, {u"\r\n", TTextStyle()},
          {u"E (330) app: failed", Fore(PaletteColour(1))},         {u"\r\n", TTextStyle()}};
}

TEST(TerminalEscapes, ColouredLogLinesBecomeColouredText) {
  Runs runs;
  TerminalEscapes escapes(runs);
  escapes.Text(kEspIdf);
  EXPECT_EQ(runs.runs, EspIdfRuns());
}

TEST(TerminalEscapes, SequencesSplitAcrossDeliveriesAtAnyPointGiveTheSameText) {
  for (size_t cut = 1; cut < kEspIdf.size(); ++cut) {
    Runs runs;
    TerminalEscapes escapes(runs);
    escapes.Text(std::u16string_view(kEspIdf).substr(0, cut));
    escapes.Text(std::u16string_view(kEspIdf).substr(cut));
    EXPECT_EQ(runs.runs, EspIdfRuns()) << "cut at " << cut;
  }
  Runs runs;
  TerminalEscapes escapes(runs);
  for (const char16_t c : kEspIdf) escapes.Text(std::u16string_view(&c, 1));
  EXPECT_EQ(runs.runs, EspIdfRuns());
}

TEST(TerminalEscapes, EraseCursorTitlesAndBellNeverReachTheView) {
  Runs runs;
  TerminalEscapes escapes(runs);
  escapes.Text(
      u"\x1B[2J\x1B[H\x1B]0;my title\x07"
      u"A\x07\x1B[1;5HB\x1B[K\x1B[?25l\x1B(B\x1B"
      u"7C\x1B]2;t\x1B\\\b\x0E"
      u"D\x1BPdata\x1B\\E\x9B"
      u"2JF");
  EXPECT_EQ(runs.Plain(), u"ABCDEF");
  for (const StyledRun& run : runs.runs) EXPECT_EQ(run.look, TTextStyle());
}

TEST(TerminalEscapes, RenditionsSetAndResetEachPartOfTheLook) {
  Runs runs;
  TerminalEscapes escapes(runs);
  escapes.Text(u"\x1B[1;4;7;38;5;196;48;2;1;2;3ma\x1B[22;24;27mb\x1B[39mc\x1B[49;95md\x1B[mE\x1B[38:2::10:20:30mf");
  TTextStyle all;
  all.Bold = all.Underline = all.Reverse = true;
  all.Fore = PaletteColour(196);
  all.Back = static_cast<TColor>(0x030201);
  TTextStyle plain = all;
  plain.Bold = plain.Underline = plain.Reverse = false;
  TTextStyle noFore = plain;
  noFore.Fore = clNone;
  TTextStyle bright;
  bright.Fore = PaletteColour(13);
  const std::vector<StyledRun> expected = {{u"a", all},    {u"b", plain},      {u"c", noFore},
                                           {u"d", bright}, {u"E", TTextStyle()}, {u"f", Fore(0x1E140A)}};
  EXPECT_EQ(runs.runs, expected);
  EXPECT_EQ(PaletteColour(16), 0);
  EXPECT_EQ(PaletteColour(231), 0xFFFFFF);
  EXPECT_EQ(PaletteColour(232), 0x080808);
}

TEST(TerminalEscapes, ABrokenSequenceEndsAtTheLineBreakAndLosesNoLine) {
  Runs runs;
  TerminalEscapes escapes(runs);
  escapes.Text(u"a\x1B[12");
  escapes.Text(u"\r\nnext\x1B]0;title never ended\nafter");
  EXPECT_EQ(runs.Plain(), u"a\r\nnext\nafter");
  // Parameters past any rendition's length are not kept and do not apply.
  Runs longRuns;
  TerminalEscapes longEscapes(longRuns);
  longEscapes.Text(u"\x1B[" + std::u16string(100000, u'1') + u";31mred?");
  EXPECT_EQ(longRuns.runs, (std::vector<StyledRun>{{u"red?", TTextStyle()}}));
  // An invalid byte breaks a sequence and is shown.
  Runs invalid;
  TerminalEscapes invalidEscapes(invalid);
  invalidEscapes.Text(u"\x1B[3");
  invalidEscapes.InvalidByte(0xFF);
  invalidEscapes.Text(u"1mx");
  EXPECT_EQ(invalid.Plain(), u"⟨\xFF⟩1mx");
}

}  // namespace
