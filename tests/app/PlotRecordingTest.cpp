// The plotter's recording: series that come late or go, the series limit,
// the row limit with the oldest rows replaced, what is in view, thinning,
// the value range and the CSV.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "PlotCsv.h"
#include "PlotRecording.h"
#include "PlotView.h"

namespace {

std::vector<PlotValue> Line(const char* text) { return ParsePlotLine(text).Values; }

std::string Csv(const PlotRecording& recording) {
  std::string text;
  EXPECT_TRUE(WritePlotCsv(recording, "n", "t", [&](std::string_view piece) {
    text += piece;
    return true;
  }));
  return text;
}

TEST(PlotRecording, SeriesThatComeLateOrGoHaveNoValueInOtherRows) {
  PlotRecording recording;
  EXPECT_TRUE(recording.Add(0.5, Line("a:1")));
  EXPECT_TRUE(recording.Add(1.0, Line("a:2,b:20")));
  EXPECT_TRUE(recording.Add(1.25, Line("b:30")));
  EXPECT_FALSE(recording.Add(1.5, Line("no numbers")));
  EXPECT_EQ(recording.SeriesCount(), 2u);
  EXPECT_EQ(recording.RowCount(), 3u);
  EXPECT_TRUE(std::isnan(recording.Value(1, 0)));
  EXPECT_TRUE(std::isnan(recording.Value(0, 2)));
  EXPECT_EQ(Csv(recording),
            "\"n\",\"t\",\"a\",\"b\"\r\n"
            "1,0.500,1,\r\n"
            "2,1.000,2,20\r\n"
            "3,1.250,,30\r\n");
}

TEST(PlotRecording, SixteenSeriesAtMostAndNoRowForNonFiniteValues) {
  PlotRecording recording;
  std::string line;
  for (int i = 1; i <= 18; ++i) line += std::to_string(i) + " ";
  EXPECT_TRUE(recording.Add(0, Line(line.c_str())));
  EXPECT_EQ(recording.SeriesCount(), kMaxPlotSeries);
  EXPECT_EQ(recording.IgnoredValues(), 2u);
  EXPECT_EQ(recording.SeriesName(15), "16");
  EXPECT_FALSE(recording.Add(1, {{"x", INFINITY}, {"y", NAN}}));
  EXPECT_EQ(recording.RowCount(), 1u);
}

TEST(PlotRecording, AtTheLimitEachRowReplacesTheOldestAndLeavesNothingOfIt) {
  PlotRecording recording(3);
  recording.Add(0, Line("a:1 b:1"));
  recording.Add(1, Line("a:2 b:2"));
  recording.Add(2, Line("a:3"));
  recording.Add(3, Line("a:4"));
  recording.Add(4, Line("c:5"));
  EXPECT_EQ(recording.RowCount(), 3u);
  EXPECT_EQ(recording.FirstRow(), 2u);
  EXPECT_EQ(recording.DroppedRows(), 2u);
  // b's values of rows 0 and 1 were at the places rows 3 and 4 now hold.
  EXPECT_EQ(Csv(recording),
            "\"n\",\"t\",\"a\",\"b\",\"c\"\r\n"
            "3,2.000,3,,\r\n"
            "4,3.000,4,,\r\n"
            "5,4.000,,,5\r\n");
  EXPECT_EQ(recording.RowAtTime(0), 2u);
  EXPECT_EQ(recording.RowAtTime(3.5), 4u);
  EXPECT_EQ(recording.RowAtTime(9), 5u);
}

TEST(PlotRecording, TimeNeverGoesBackAndCsvValuesReadBackExactly) {
  PlotRecording recording;
  recording.Add(2, Line("0.1 1e300 -7"));
  recording.Add(1, {{"1", 0.30000000000000004}, {"q\"x", 5}});
  EXPECT_EQ(recording.Time(1), 2);
  EXPECT_EQ(Csv(recording),
            "\"n\",\"t\",\"1\",\"2\",\"3\",\"q\"\"x\"\r\n"
            "1,2.000,0.1,1e+300,-7,\r\n"
            "2,2.000,0.30000000000000004,,,5\r\n");
}

TEST(PlotRecording, CsvOfManyRowsComesInPiecesAndStopsWhenWritingFails) {
  PlotRecording recording;
  for (int i = 0; i < 20000; ++i) recording.Add(i, Line("1 2 3 4 5 6 7 8"));
  int pieces = 0;
  size_t bytes = 0;
  EXPECT_TRUE(WritePlotCsv(recording, "n", "t", [&](std::string_view piece) {
    ++pieces;
    bytes += piece.size();
    return true;
  }));
  EXPECT_GT(pieces, 3);
  EXPECT_EQ(bytes, Csv(recording).size());
  pieces = 0;
  EXPECT_FALSE(WritePlotCsv(recording, "n", "t", [&](std::string_view) { return ++pieces < 2; }));
  EXPECT_EQ(pieces, 2);
}

TEST(PlotView, RowsInViewByCountTimeOrXRange) {
  PlotRecording recording(100);
  for (int i = 0; i < 150; ++i) recording.Add(i * 0.1, Line("1"));
  EXPECT_EQ(LastSamples(recording, 10).First, 140u);
  EXPECT_EQ(LastSamples(recording, 1000).First, 50u);
  const PlotRows lastSecond = LastSeconds(recording, 1.0);
  EXPECT_EQ(lastSecond.End, 150u);
  EXPECT_NEAR(recording.Time(lastSecond.First), 13.9, 0.01);
  // One more row on each side of the range, within what is held.
  PlotRows rows = RowsBetween(recording, PlotXAxis::kSample, 100, 110);
  EXPECT_EQ(rows.First, 98u);
  EXPECT_EQ(rows.End, 111u);
  rows = RowsBetween(recording, PlotXAxis::kSample, -1e300, 1e300);
  EXPECT_EQ(rows.First, 50u);
  EXPECT_EQ(rows.End, 150u);
  rows = RowsBetween(recording, PlotXAxis::kTime, 10.05, 11.05);
  EXPECT_EQ(rows.First, 100u);
  EXPECT_EQ(rows.End, 112u);
  rows = RowsBetween(recording, PlotXAxis::kSample, NAN, NAN);
  EXPECT_LE(rows.First, rows.End);
}

TEST(PlotView, ThinnedPointsKeepEachRunsPeaksAndSkipRowsWithoutValue) {
  PlotRecording recording;
  for (int i = 0; i < 1000; ++i) recording.Add(i, {{"s", i == 437 ? 1000.0 : i == 611 ? -1000.0 : i % 7 * 1.0}});
  recording.Add(1000, Line("other:1"));
  std::vector<PlotPoint> points;
  SeriesPoints(recording, 0, {0, recording.EndRow()}, PlotXAxis::kSample, 100, points);
  EXPECT_LE(points.size(), 100u);
  double low = 0, high = 0;
  for (size_t i = 0; i < points.size(); ++i) {
    low = std::min(low, points[i].Y);
    high = std::max(high, points[i].Y);
    if (i > 0) {
      EXPECT_LT(points[i - 1].X, points[i].X);
    }
  }
  EXPECT_EQ(high, 1000);
  EXPECT_EQ(low, -1000);
  SeriesPoints(recording, 1, {990, recording.EndRow()}, PlotXAxis::kTime, 100, points);
  ASSERT_EQ(points.size(), 1u);
  EXPECT_EQ(points[0].X, 1000);
}

TEST(PlotView, ValueRangeOfShownSeriesOnly) {
  const std::vector<std::vector<PlotPoint>> series{{{0, 10}, {1, 30}}, {{0, -500}}};
  // 9..31 with its margins, rounded out to steps of 5.
  PlotRange range = ValueRange(series, {true, false});
  EXPECT_EQ(range.Min, 5);
  EXPECT_EQ(range.Max, 35);
  range = ValueRange(series, {false, true});
  EXPECT_LT(range.Min, -500);
  EXPECT_GT(range.Max, -500);
  range = ValueRange({}, {});
  EXPECT_EQ(range.Min, 0);
  EXPECT_EQ(range.Max, 1);
  range = ValueRange({{{0, -1.7e308}, {1, 1.7e308}}}, {});
  EXPECT_TRUE(std::isfinite(range.Min) && std::isfinite(range.Max));
  range = ValueRange({{{0, 1.7e308}}}, {});
  EXPECT_LT(range.Min, range.Max);
  EXPECT_TRUE(std::isfinite(range.Max));
}

TEST(PlotView, AnAutomaticRangeIsRoundAndStaysWhileTheValuesStayInside) {
  // Values wandering inside 0..100 keep one range, so the axis is not laid
  // out again at each redraw.
  for (const double high : {90.0, 91.0, 92.0}) {
    const PlotRange range = ValueRange({{{0, 3}, {1, high}}}, {});
    EXPECT_EQ(range.Min, -20) << high;
    EXPECT_EQ(range.Max, 100) << high;
    EXPECT_EQ(range.Steps, 6) << high;
  }
  const PlotRange small = RoundOut({0.00123, 0.00456});
  EXPECT_NEAR(small.Min, 0.001, 1e-12);
  EXPECT_NEAR(small.Max, 0.005, 1e-12);
  EXPECT_EQ(small.Steps, 4);
  const PlotRange negative = RoundOut({-7.5, -2.5});
  EXPECT_EQ(negative.Min, -8);
  EXPECT_EQ(negative.Max, -2);
  EXPECT_EQ(negative.Steps, 6);
  // Where a round step would reach past the largest double, or is below the
  // values' precision, the range stays as given and finite.
  const PlotRange huge = RoundOut({-1.7e308, 1.7e308});
  EXPECT_TRUE(std::isfinite(huge.Min) && std::isfinite(huge.Max));
  EXPECT_LE(huge.Min, -1.7e308);
  EXPECT_EQ(huge.Steps, 0);
  const PlotRange far = RoundOut({1e17, 1e17 + 64});
  EXPECT_LE(far.Min, 1e17);
  EXPECT_GE(far.Max, 1e17 + 64);
  EXPECT_LT(far.Min, far.Max);
}

}  // namespace
