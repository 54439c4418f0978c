// A chart of lines: numbered series of points on a value axis each way,
// with a legend. The program sets the axes' ranges; the user may zoom and
// pan (mouse wheel, dragging, the keys + - and the arrows), after which the
// chart keeps the user's ranges until ResetView (or the Home key).
// Clicking a series in the legend hides or shows it.
#pragma once

#include <string>
#include <vector>

#include "toolkit/controls.h"
#include "toolkit/events.h"
#include "toolkit/exceptions.h"
#include "toolkit/property.h"
#include "toolkit/strings.h"

struct TChartPoint {
  double X;
  double Y;
};

struct TChartRanges {
  double XMin;
  double XMax;
  double YMin;
  double YMax;
  // The value axis marked in this many equal steps; 0 leaves it to the
  // chart (four).
  int YSteps = 0;
};

class TLineChart : public TWinControl {
 public:
  explicit TLineChart(TComponent* AOwner);
  ~TLineChart() override;

  Property<String> XTitle;

  // Series are numbered from 0 in the order added; each has its own colour
  // among the first sixteen.
  int AddSeries(const String& Name);
  int SeriesCount() const;
  String SeriesName(int Series) const;
  void ClearSeries();
  // Replaces the series' points; they are drawn in the order given.
  void SetPoints(int Series, const std::vector<TChartPoint>& Points);
  size_t PointCount(int Series) const;
  bool SeriesVisible(int Series) const;
  void SetSeriesVisible(int Series, bool Visible);

  // The ranges shown while the user has not zoomed or panned.
  void SetRanges(const TChartRanges& Ranges);
  // The ranges shown now.
  TChartRanges Ranges() const;
  // The user zoomed or panned since the last ResetView.
  bool UserView() const;
  void ResetView();

  // The user zoomed, panned or reset the view.
  TNotifyEvent OnViewChange;
  // The user hid or showed a series in the legend.
  TNotifyEvent OnSeriesVisibleChange;

  // The chart as shown, as the bytes of a PNG file; empty if it cannot be
  // encoded.
  std::string PngImage() const;
};
