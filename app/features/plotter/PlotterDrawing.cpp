// The plotter window's redraws: the rows in view, each series' points
// thinned to the chart's width, the axes' ranges, and the status line.
#include <algorithm>

#include "PlotterWindow.h"

namespace {

// Points a series gets per pixel of the chart's width: a low and a high.
constexpr int kPointsPerPixel = 2;
// Values in view beyond which redraws are paced by their cost.
constexpr uint64_t kManyValues = 200000;

// A series' name as the device sent it, read in the ANSI code page.
String SeriesCaption(const std::string& Name) { return String(AnsiString(Name.data(), static_cast<int>(Name.size()))); }

}  // namespace

void PlotterWindow::OnTick() {
  const auto now = std::chrono::steady_clock::now();
  if (now - rateSince_ >= std::chrono::seconds(1)) {
    redrawRate_ = redraws_;
    redraws_ = 0;
    rateSince_ = now;
    ShowStatus();
  }
  // On the time axis the view moves with the clock, new rows or not.
  const bool moving = choices_.Axis == PlotXAxis::kTime && recording_.RowCount() > 0 && !chart_->UserView();
  if ((changed_ || moving) && !paused_ && now >= nextDrawAt_) {
    Draw();
    // A view of very many values takes long to read through: the next
    // redraw waits four times as long, so that drawing never takes the
    // window's thread. A small view is not held back, also when a loaded
    // machine made its redraw slow.
    if (drawnValues_ > kManyValues) nextDrawAt_ = now + 4 * (std::chrono::steady_clock::now() - now);
  }
}

void PlotterWindow::Draw() {
  changed_ = false;
  if (drawnGeneration_ != recording_.Generation()) {
    chart_->ClearSeries();
    drawnGeneration_ = recording_.Generation();
  }
  while (static_cast<size_t>(chart_->SeriesCount()) < recording_.SeriesCount())
    chart_->AddSeries(SeriesCaption(recording_.SeriesName(chart_->SeriesCount())));
  const double now = now_();
  const PlotRows rows = RowsInView(now);
  drawnValues_ = (rows.End - rows.First) * recording_.SeriesCount();
  DrawSeries(rows);
  SetRanges(rows, now);
  ++redraws_;
}

PlotRows PlotterWindow::RowsInView(double Now) const {
  if (chart_->UserView()) {
    const TChartRanges view = chart_->Ranges();
    return RowsBetween(recording_, choices_.Axis, view.XMin, view.XMax);
  }
  if (!choices_.SpanInSeconds) return LastSamples(recording_, static_cast<uint64_t>(choices_.Span));
  if (choices_.Axis == PlotXAxis::kTime) return RowsBetween(recording_, PlotXAxis::kTime, Now - choices_.Span, Now);
  return LastSeconds(recording_, choices_.Span);
}

void PlotterWindow::DrawSeries(PlotRows Rows) {
  const size_t maxPoints = static_cast<size_t>(std::max(200, kPointsPerPixel * chart_->Width));
  points_.resize(recording_.SeriesCount());
  for (size_t series = 0; series < recording_.SeriesCount(); ++series) {
    const int index = static_cast<int>(series);
    if (!chart_->SeriesVisible(index)) {
      points_[series].clear();
    } else {
      SeriesPoints(recording_, series, Rows, choices_.Axis, maxPoints, points_[series]);
    }
    chartPoints_.resize(points_[series].size());
    std::transform(points_[series].begin(), points_[series].end(), chartPoints_.begin(), [](const PlotPoint& point) {
      return TChartPoint{point.X, point.Y};
    });
    chart_->SetPoints(index, chartPoints_);
  }
}

void PlotterWindow::SetRanges(PlotRows Rows, double Now) {
  if (chart_->UserView()) return;
  TChartRanges ranges{0, 1, 0, 1};
  if (Rows.End > Rows.First) {
    ranges.XMin = PlotX(recording_, choices_.Axis, Rows.First);
    ranges.XMax = PlotX(recording_, choices_.Axis, Rows.End - 1);
    if (choices_.Axis == PlotXAxis::kTime) {
      // The time axis ends now, and a span of seconds stays as wide while
      // it fills.
      ranges.XMax = std::max(ranges.XMax, Now);
      if (choices_.SpanInSeconds) ranges.XMin = ranges.XMax - choices_.Span;
    }
    if (ranges.XMax <= ranges.XMin) ranges.XMax = ranges.XMin + 1;
  }
  const PlotRange values =
      choices_.Autoscale ? ValueRange(points_, std::vector<bool>()) : PlotRange{choices_.Min, choices_.Max};
  ranges.YMin = values.Min;
  ranges.YMax = values.Max;
  ranges.YSteps = values.Steps;
  chart_->SetRanges(ranges);
}

void PlotterWindow::ShowStatus() {
  String text = Fill(Tr("Plotter", "已记录 %1 行，%2 个序列"),
                     {String(std::to_string(recording_.RowCount())), String(std::to_string(recording_.SeriesCount()))});
  if (recording_.DroppedRows() > 0)
    text += Fill(Tr("Plotter", "；最早的 %1 行已让位给新的"), {String(std::to_string(recording_.DroppedRows()))});
  if (recording_.IgnoredValues() > 0)
    text += Fill(Tr("Plotter", "；%1 个值未记录（超出范围或第 16 个序列之后）"),
                 {String(std::to_string(recording_.IgnoredValues()))});
  uint64_t earlier = 0;
  if (Parts)
    for (const PlotPart& part : Parts())
      if (part.Recording != &recording_) earlier += part.Recording->RowCount();
  if (earlier > 0)
    text += Fill(Tr("Plotter", "；之前的串口另有 %1 行，导出时一并写出"), {String(std::to_string(earlier))});
  if (paused_) text += Tr("Plotter", "；已暂停，记录继续");
  text += Fill(Tr("Plotter", "；每秒刷新 %1 次"), {String(std::to_string(redrawRate_))});
  status_->Panels->Items[0]->Text = text;
}
