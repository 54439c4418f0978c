// The plotter's reading of received text: each line form, lines over
// several deliveries, numbers out of a double's range and words.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "PlotLine.h"
#include "PlotLineSplitter.h"

namespace {

std::string Show(const PlotLine& line) {
  std::string text;
  for (const PlotValue& value : line.Values) {
    char number[64];
    std::snprintf(number, sizeof number, "%g", value.Value);
    text += (text.empty() ? "" : " ") + value.Name + "=" + number;
  }
  return text;
}

std::string Show(std::string_view line) { return Show(ParsePlotLine(line)); }

TEST(PlotLine, NamedValuesInTheirCommaBlankAndSpacedForms) {
  EXPECT_EQ(Show("a:1.5,b:2"), "a=1.5 b=2");
  EXPECT_EQ(Show("a:1.5 b:2"), "a=1.5 b=2");
  EXPECT_EQ(Show("a:1.5\tb:-2e3"), "a=1.5 b=-2000");
  // A name followed by a blank before its number.
  EXPECT_EQ(Show("temp: 21.5, hum: 40"), "temp=21.5 hum=40");
  // Names are bytes as received (GBK 温度), and may hold colons.
  EXPECT_EQ(Show("\xCE\xC2\xB6\xC8:3 t:12:30"), "\xCE\xC2\xB6\xC8=3 t:12=30");
}

TEST(PlotLine, PlainNumbersAreSeriesOneTwoInTheOrderTheyStand) {
  EXPECT_EQ(Show("1,2,3"), "1=1 2=2 3=3");
  EXPECT_EQ(Show("  10 \t 20  ,, 30 "), "1=10 2=20 3=30");
  EXPECT_EQ(Show("+5 .5 5. -0"), "1=5 2=0.5 3=5 4=-0");
  // Words take no series number; named values do not either.
  EXPECT_EQ(Show("T= 7 ok 8 a:1 9"), "1=7 2=8 a=1 3=9");
}

TEST(PlotLine, LinesWithoutNumbersGiveNothing) {
  for (const char* line :
       {"", "   ", "hello world", "a:b", "inf nan INF -nan", "0x10 12V 1e 1e+ . - +", "a:", "1.2.3 --1 1e5e5"})
    EXPECT_TRUE(ParsePlotLine(line).Values.empty()) << line;
}

TEST(PlotLine, NumbersBeyondADoubleAreCountedNotPlottedAndTinyOnesAreZero) {
  const PlotLine line = ParsePlotLine("1 1e999 -1e400 3 a:1e-999 b:-0.000e-5000 c:1" + std::string(400, '0'));
  EXPECT_EQ(Show(line), "1=1 4=3 a=0 b=-0");
  EXPECT_EQ(line.TooLarge, 3u);
  EXPECT_TRUE(std::signbit(line.Values[3].Value));
  double value = 0;
  EXPECT_EQ(ParsePlotNumber("1" + std::string(1000, '0'), value), PlotNumber::kTooLarge);
  EXPECT_EQ(ParsePlotNumber("0." + std::string(1000, '0') + "1", value), PlotNumber::kNumber);
  EXPECT_EQ(value, 0);
  EXPECT_EQ(ParsePlotNumber("0.0001e330", value), PlotNumber::kTooLarge);
  EXPECT_EQ(ParsePlotNumber("1000e-330", value), PlotNumber::kNumber);
  EXPECT_EQ(ParsePlotNumber("1.7976931348623157e308", value), PlotNumber::kNumber);
  EXPECT_EQ(value, 1.7976931348623157e308);
  EXPECT_EQ(ParsePlotNumber("4.9e-324", value), PlotNumber::kNumber);  // the least subnormal
  EXPECT_GT(value, 0);
  // An exponent of more digits than any integer holds.
  EXPECT_EQ(ParsePlotNumber("1e99999999999999999999999", value), PlotNumber::kTooLarge);
  EXPECT_EQ(ParsePlotNumber("1e-99999999999999999999999", value), PlotNumber::kNumber);
}

TEST(PlotLine, OverlongNamesAreNotValues) {
  EXPECT_EQ(Show(std::string(kMaxPlotNameBytes, 'n') + ":1"), std::string(kMaxPlotNameBytes, 'n') + "=1");
  EXPECT_EQ(Show(std::string(kMaxPlotNameBytes + 1, 'n') + ":1 2"), "1=2");
}

// The lines handed on, a line's parts joined with '|' between them.
struct Lines {
  std::vector<std::string> got;
  std::string open;
  bool cut = false;
  PlotLineSplitter::PartHandler Handler() {
    return [this](std::string_view part, bool ends) {
      if (cut) open += '|';
      open += part;
      cut = !ends;
      if (!ends) return;
      got.push_back(open);
      open.clear();
    };
  }
};

TEST(PlotLineSplitter, LinesEndAtCrOrLfAndComeTogetherAcrossDeliveries) {
  PlotLineSplitter splitter;
  Lines lines;
  splitter.Take("a:1,b:", lines.Handler());
  EXPECT_TRUE(lines.got.empty());
  EXPECT_TRUE(splitter.Open());
  splitter.Take("2\r", lines.Handler());
  splitter.Take("\n3 4\n5", lines.Handler());
  EXPECT_EQ(lines.got, (std::vector<std::string>{"a:1,b:2", "", "3 4"}));
  // The last number waits for its line's end, or for a flush.
  splitter.Take("6", lines.Handler());
  EXPECT_EQ(lines.got.size(), 3u);
  splitter.Flush(lines.Handler());
  EXPECT_EQ(lines.got.back(), "56");
  EXPECT_FALSE(splitter.Open());
  splitter.Flush(lines.Handler());
  EXPECT_EQ(lines.got.size(), 4u);
}

TEST(PlotLineSplitter, ALineBeyondTheLimitIsHandedOnInPartsCutBetweenTokens) {
  PlotLineSplitter splitter;
  Lines lines;
  std::string numbers;
  for (int n = 1; numbers.size() <= 2 * kMaxPlotLineBytes; ++n) numbers += std::to_string(n) + ",";
  // In deliveries of 100 bytes, a number cut across two of them.
  const std::string line = numbers + "x:9";
  for (size_t at = 0; at < line.size(); at += 100) splitter.Take(line.substr(at, 100), lines.Handler());
  EXPECT_TRUE(splitter.Open());
  splitter.Take("\n1 2\n", lines.Handler());
  ASSERT_EQ(lines.got.size(), 2u);
  EXPECT_EQ(lines.got[1], "1 2");
  const std::string& parts = lines.got[0];
  EXPECT_GE(std::count(parts.begin(), parts.end(), '|'), 2);
  std::string joined = parts;
  joined.erase(std::remove(joined.begin(), joined.end(), '|'), joined.end());
  EXPECT_EQ(joined, line) << "nothing lost, nothing doubled";
  for (size_t at = 0, bar; (bar = parts.find('|', at)) != std::string::npos; at = bar + 1) {
    EXPECT_EQ(parts[bar - 1], ',') << "cut after a separator, at " << bar;
    EXPECT_LE(bar - at, kMaxPlotLineBytes + 100);
  }
  // A whole line over the limit in one delivery as well.
  splitter.Take(std::string(kMaxPlotLineBytes, '1') + " 2\n", lines.Handler());
  ASSERT_EQ(lines.got.size(), 3u);
  EXPECT_EQ(lines.got[2], std::string(kMaxPlotLineBytes, '1') + " |2");
}

TEST(PlotLineSplitter, ATokenLongerThanTheLimitIsSkippedAndTheLineGoesOn) {
  PlotLineSplitter splitter;
  Lines lines;
  splitter.Take("5 " + std::string(kMaxPlotLineBytes + 10, 'z'), lines.Handler());
  splitter.Take(std::string(3 * kMaxPlotLineBytes, 'z') + " 6\n", lines.Handler());
  ASSERT_EQ(lines.got.size(), 1u);
  EXPECT_EQ(lines.got[0], "5 | 6");
  // Exactly at the limit is a line in one part.
  splitter.Take(std::string(kMaxPlotLineBytes - 1, '1'), lines.Handler());
  splitter.Take("2\n", lines.Handler());
  ASSERT_EQ(lines.got.size(), 2u);
  EXPECT_EQ(lines.got[1], std::string(kMaxPlotLineBytes - 1, '1') + "2");
}

TEST(PlotLine, ALineReadInPartsNumbersItsSeriesOnAndKeepsAtMostItsLimit) {
  PlotLineReader reader;
  reader.Take("7 a: ");
  reader.Take("1.5 8");
  std::string many;
  for (size_t n = 0; n < kMaxPlotLineValues + 5; ++n) many += "1 ";
  reader.Take(many);
  reader.Take("1e999");
  const PlotLine line = reader.End();
  ASSERT_EQ(line.Values.size(), kMaxPlotLineValues);
  EXPECT_EQ(line.Values[0].Name, "1");
  EXPECT_EQ(line.Values[1].Name, "a");
  EXPECT_EQ(line.Values[1].Value, 1.5);
  EXPECT_EQ(line.Values[2].Name, "2");
  EXPECT_EQ(line.Values[3].Name, "3");
  EXPECT_EQ(line.Beyond, 8u);
  EXPECT_EQ(line.TooLarge, 1u);
  // The next line starts afresh.
  reader.Take("4");
  EXPECT_EQ(reader.End().Values[0].Name, "1");
}

}  // namespace
