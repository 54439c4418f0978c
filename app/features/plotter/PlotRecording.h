// What the plotter has recorded: one row per line that held a number, with
// its arrival time (seconds from the start of the recording) and a value
// for each series the line named; a series has no value (NaN) in the rows
// of lines without it. At most kMaxPlotSeries series, in the order they
// first appeared; values of further series are counted and left out.
//
// The rows kept are bounded by Limit (a million by default): each row holds
// at most one sample of a series, so no series holds more. When full, each
// new row replaces the oldest one, and memory stays as it is.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "PlotLine.h"

constexpr size_t kMaxPlotSeries = 16;
constexpr size_t kDefaultPlotLimit = 1'000'000;

class PlotRecording {
 public:
  explicit PlotRecording(size_t Limit = kDefaultPlotLimit);
  ~PlotRecording();
  PlotRecording(const PlotRecording&) = delete;
  PlotRecording& operator=(const PlotRecording&) = delete;

  // Adds the line's values as a row at Time. A line with no value kept
  // adds no row; false then. Time never goes back: an earlier one counts as
  // the last row's.
  bool Add(double Time, const std::vector<PlotValue>& Values);
  // Values the line held that could not be recorded (numbers too large).
  void Ignore(uint64_t Count) { ignoredValues_ += Count; }
  // Empties the recording; its series start again from none.
  void Clear();
  // Hands its rows, series and counts to a recording of their own, as they
  // are, and is cleared itself.
  std::unique_ptr<PlotRecording> TakeRows();
  // Counts the clears, so that a view can tell its series are gone.
  uint64_t Generation() const { return generation_; }

  size_t Limit() const { return limit_; }
  size_t SeriesCount() const { return names_.size(); }
  const std::string& SeriesName(size_t Series) const { return names_[Series]; }

  // Rows are numbered from 0 since the recording began; those from
  // FirstRow() to EndRow() - 1 are held.
  uint64_t FirstRow() const { return endRow_ - held_; }
  uint64_t EndRow() const { return endRow_; }
  uint64_t RowCount() const { return held_; }
  double Time(uint64_t Row) const;
  // NaN where the row has no value of the series.
  double Value(size_t Series, uint64_t Row) const;
  // The first row held whose time is at least Time (EndRow() if none).
  uint64_t RowAtTime(double Time) const;

  // Rows replaced by newer ones, and values left out (a series beyond the
  // sixteenth, infinities and NaN given to Add, and those given to Ignore).
  uint64_t DroppedRows() const { return FirstRow(); }
  uint64_t IgnoredValues() const { return ignoredValues_; }

 private:
  class Column;
  int SeriesIndex(const std::string& Name);

  size_t limit_;
  uint64_t endRow_ = 0;
  uint64_t held_ = 0;
  uint64_t ignoredValues_ = 0;
  uint64_t generation_ = 0;
  std::vector<std::string> names_;
  std::unique_ptr<Column> times_;
  std::vector<std::unique_ptr<Column>> columns_;
  std::vector<double> row_;  // the row being added, one value a series
};
