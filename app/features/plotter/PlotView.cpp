#include "PlotView.h"

#include <algorithm>
#include <cmath>
#include <limits>

double PlotX(const PlotRecording& Recording, PlotXAxis Axis, uint64_t Row) {
  return Axis == PlotXAxis::kTime ? Recording.Time(Row) : static_cast<double>(Row + 1);
}

PlotRows LastSamples(const PlotRecording& Recording, uint64_t Count) {
  const uint64_t end = Recording.EndRow();
  return {end - std::min(Count, Recording.RowCount()), end};
}

PlotRows LastSeconds(const PlotRecording& Recording, double Seconds) {
  const uint64_t end = Recording.EndRow();
  if (Recording.RowCount() == 0) return {end, end};
  const double newest = Recording.Time(end - 1);
  return {Recording.RowAtTime(newest - Seconds), end};
}

PlotRows RowsBetween(const PlotRecording& Recording, PlotXAxis Axis, double From, double To) {
  uint64_t first = Recording.FirstRow(), end = Recording.EndRow();
  if (first == end) return {first, end};
  if (Axis == PlotXAxis::kTime) {
    first = Recording.RowAtTime(From);
    end = Recording.RowAtTime(std::nextafter(To, INFINITY));
  } else {
    // Sample n is row n - 1.
    const uint64_t low = first, high = end;
    const auto toRow = [&](double row) -> uint64_t {
      if (!(row > static_cast<double>(low))) return low;
      if (row >= static_cast<double>(high)) return high;
      return static_cast<uint64_t>(row);
    };
    first = toRow(std::ceil(From - 1));
    end = toRow(std::floor(To - 1) + 1);
  }
  if (first > Recording.FirstRow()) --first;
  if (end < Recording.EndRow()) ++end;
  return {first, std::max(first, end)};
}

void SeriesPoints(const PlotRecording& Recording, size_t Series, PlotRows Rows, PlotXAxis Axis, size_t MaxPoints,
                  std::vector<PlotPoint>& Points) {
  Points.clear();
  const uint64_t count = Rows.End - Rows.First;
  MaxPoints = std::max<size_t>(MaxPoints, 2);
  if (count <= MaxPoints) {
    for (uint64_t row = Rows.First; row < Rows.End; ++row) {
      const double value = Recording.Value(Series, row);
      if (!std::isnan(value)) Points.push_back({PlotX(Recording, Axis, row), value});
    }
    return;
  }
  const uint64_t runs = MaxPoints / 2;
  for (uint64_t run = 0; run < runs; ++run) {
    const uint64_t from = Rows.First + count * run / runs, to = Rows.First + count * (run + 1) / runs;
    uint64_t low = to, high = to;
    for (uint64_t row = from; row < to; ++row) {
      const double value = Recording.Value(Series, row);
      if (std::isnan(value)) continue;
      if (low == to || value < Recording.Value(Series, low)) low = row;
      if (high == to || value > Recording.Value(Series, high)) high = row;
    }
    if (low == to) continue;
    for (uint64_t row : {std::min(low, high), std::max(low, high)}) {
      Points.push_back({PlotX(Recording, Axis, row), Recording.Value(Series, row)});
      if (low == high) break;
    }
  }
}

PlotRange ValueRange(const std::vector<std::vector<PlotPoint>>& Series, const std::vector<bool>& Shown) {
  double low = INFINITY, high = -INFINITY;
  for (size_t series = 0; series < Series.size(); ++series) {
    if (series < Shown.size() && !Shown[series]) continue;
    for (const PlotPoint& point : Series[series]) {
      low = std::min(low, point.Y);
      high = std::max(high, point.Y);
    }
  }
  if (low > high) return {0, 1};
  if (low == high) {
    const double pad = std::max(1.0, std::abs(low) / 20);
    if (std::isfinite(low - pad) && std::isfinite(high + pad)) return {low - pad, high + pad};
    return {std::nextafter(low, -INFINITY), std::nextafter(high, INFINITY)};
  }
  // Values near a double's largest: the span is taken in parts, and the
  // range ends at the largest double rather than at infinity.
  const double margin = high / 20 - low / 20, largest = std::numeric_limits<double>::max();
  return RoundOut({std::max(low - margin, -largest), std::min(high + margin, largest)});
}

PlotRange RoundOut(PlotRange Range) {
  // A step of 1, 2 or 5 times a power of ten, at least a fifth of the span.
  const double fifth = Range.Max / 5 - Range.Min / 5;
  if (!(fifth > 0) || !std::isfinite(fifth)) return Range;
  const double power = std::pow(10.0, std::floor(std::log10(fifth)));
  const double fraction = fifth / power;
  const double step = (fraction <= 1 ? 1 : fraction <= 2 ? 2 : fraction <= 5 ? 5 : 10) * power;
  const PlotRange rounded{std::floor(Range.Min / step) * step, std::ceil(Range.Max / step) * step, 0};
  // Far from zero a step can be below the values' precision, and near the
  // largest double a bound can round to infinity: keep the range as it was.
  if (!std::isfinite(rounded.Min) || !std::isfinite(rounded.Max) || rounded.Min > Range.Min ||
      rounded.Max < Range.Max || !(rounded.Max > rounded.Min))
    return Range;
  return {rounded.Min, rounded.Max, static_cast<int>(std::lround((rounded.Max - rounded.Min) / step))};
}
