// What the plotter draws from a recording: which rows are in view, each
// series' points thinned to what a chart of some width can show, and the
// value range that fits them.
#pragma once

#include <cstdint>
#include <vector>

#include "PlotRecording.h"

enum class PlotXAxis { kTime, kSample };

struct PlotPoint {
  double X;
  double Y;
};

struct PlotRows {
  uint64_t First = 0;
  uint64_t End = 0;  // one past the last
};

// X of a row: its time in seconds, or its sample number (from 1).
double PlotX(const PlotRecording& Recording, PlotXAxis Axis, uint64_t Row);

// The last Count rows held; the rows of the last Seconds before the newest.
PlotRows LastSamples(const PlotRecording& Recording, uint64_t Count);
PlotRows LastSeconds(const PlotRecording& Recording, double Seconds);
// The rows whose X lies in From..To, with one more on each side so that the
// lines run to the edges of the view.
PlotRows RowsBetween(const PlotRecording& Recording, PlotXAxis Axis, double From, double To);

// The series' points in Rows, rows without a value left out. Beyond
// MaxPoints the rows are cut into MaxPoints / 2 runs and each gives its
// lowest and highest point in their order, so peaks stay visible.
void SeriesPoints(const PlotRecording& Recording, size_t Series, PlotRows Rows, PlotXAxis Axis, size_t MaxPoints,
                  std::vector<PlotPoint>& Points);

struct PlotRange {
  double Min;
  double Max;
  int Steps = 0;  // rounded out: the round steps it spans
};

// The range of the points' values with a margin of 5% each side, rounded
// out (below); a single value gets 5% of itself (at least 1) each side; no
// points give 0..1.
PlotRange ValueRange(const std::vector<std::vector<PlotPoint>>& Series, const std::vector<bool>& Shown);
// The range widened to multiples of a round step (1, 2 or 5 times a power
// of ten): the axis reads in round numbers, and an automatic range stays
// the same from one redraw to the next while the values stay inside it, so
// that the axis is not laid out again at each.
PlotRange RoundOut(PlotRange Range);
