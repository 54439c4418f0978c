#include "PlotRecording.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

constexpr double kNoValue = std::numeric_limits<double>::quiet_NaN();

}  // namespace

// A ring of Limit values in chunks, each made the first time it is written
// (filled with NaN), so that a short recording or a late series costs only
// what it holds.
class PlotRecording::Column {
 public:
  explicit Column(size_t limit) : chunkSize_(std::min(limit, kChunk)), chunks_((limit + chunkSize_ - 1) / chunkSize_) {}

  double Get(size_t at) const {
    const auto& chunk = chunks_[at / chunkSize_];
    return chunk ? chunk[at % chunkSize_] : kNoValue;
  }
  void Set(size_t at, double value) {
    auto& chunk = chunks_[at / chunkSize_];
    if (!chunk) {
      chunk = std::make_unique<double[]>(chunkSize_);
      std::fill_n(chunk.get(), chunkSize_, kNoValue);
    }
    chunk[at % chunkSize_] = value;
  }

 private:
  static constexpr size_t kChunk = 65536;
  size_t chunkSize_;
  std::vector<std::unique_ptr<double[]>> chunks_;
};

PlotRecording::PlotRecording(size_t Limit) : limit_(std::max<size_t>(Limit, 1)) { Clear(); }

PlotRecording::~PlotRecording() = default;

void PlotRecording::Clear() {
  ++generation_;
  endRow_ = 0;
  held_ = 0;
  ignoredValues_ = 0;
  names_.clear();
  columns_.clear();
  row_.clear();
  times_ = std::make_unique<Column>(limit_);
}

std::unique_ptr<PlotRecording> PlotRecording::TakeRows() {
  auto taken = std::make_unique<PlotRecording>(limit_);
  std::swap(taken->endRow_, endRow_);
  std::swap(taken->held_, held_);
  std::swap(taken->ignoredValues_, ignoredValues_);
  std::swap(taken->names_, names_);
  std::swap(taken->times_, times_);
  std::swap(taken->columns_, columns_);
  std::swap(taken->row_, row_);
  Clear();
  return taken;
}

int PlotRecording::SeriesIndex(const std::string& Name) {
  const auto found = std::find(names_.begin(), names_.end(), Name);
  if (found != names_.end()) return static_cast<int>(found - names_.begin());
  if (names_.size() == kMaxPlotSeries) return -1;
  names_.push_back(Name);
  columns_.push_back(std::make_unique<Column>(limit_));
  row_.push_back(kNoValue);
  return static_cast<int>(names_.size() - 1);
}

bool PlotRecording::Add(double Time, const std::vector<PlotValue>& Values) {
  std::fill(row_.begin(), row_.end(), kNoValue);
  bool any = false;
  for (const PlotValue& value : Values) {
    const int series = std::isfinite(value.Value) ? SeriesIndex(value.Name) : -1;
    if (series < 0) {
      ++ignoredValues_;
      continue;
    }
    row_.resize(names_.size(), kNoValue);
    row_[series] = value.Value;  // a name twice in a line: the last value
    any = true;
  }
  if (!any) return false;
  if (held_ > 0 && !(Time >= this->Time(endRow_ - 1))) Time = this->Time(endRow_ - 1);
  const size_t at = endRow_ % limit_;
  times_->Set(at, Time);
  // Every column is written, so that a row that replaces an old one leaves
  // nothing of it behind.
  for (size_t series = 0; series < columns_.size(); ++series) columns_[series]->Set(at, row_[series]);
  ++endRow_;
  held_ = std::min<uint64_t>(held_ + 1, limit_);
  return true;
}

double PlotRecording::Time(uint64_t Row) const { return times_->Get(Row % limit_); }

double PlotRecording::Value(size_t Series, uint64_t Row) const { return columns_[Series]->Get(Row % limit_); }

uint64_t PlotRecording::RowAtTime(double Time) const {
  uint64_t low = FirstRow(), high = endRow_;
  while (low < high) {
    const uint64_t middle = low + (high - low) / 2;
    if (this->Time(middle) < Time)
      low = middle + 1;
    else
      high = middle;
  }
  return low;
}
