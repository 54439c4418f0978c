// The line chart: the program's ranges until the user zooms or pans, the
// view reset, series hidden and shown, the picture; and the controls aligned
// above, below and between that a window of a chart is made of.
#include <gtest/gtest.h>

#include <QApplication>
#include <QChartView>
#include <QGraphicsTextItem>
#include <QImage>
#include <QLineSeries>
#include <QTest>
#include <QValueAxis>

#include <algorithm>
#include <vector>

#include "control_data.h"
#include "toolkit/charts.h"
#include "toolkit/forms.h"
#include "toolkit/std_controls.h"

namespace {

// A chart filling a form of the size given.
TLineChart* ChartOnForm(TForm& form, int width, int height) {
  form.ClientWidth = width;
  form.ClientHeight = height;
  auto* chart = new TLineChart(&form);
  chart->Parent = &form;
  chart->SetBounds(0, 0, width, height);
  return chart;
}

TEST(LineChart, ShowsTheProgramsRangesUntilTheUserZoomsOrPansThenUntilReset) {
  TForm form(nullptr);
  TLineChart* chart = ChartOnForm(form, 600, 400);
  int viewChanges = 0;
  chart->OnViewChange = [&](TObject*) { ++viewChanges; };
  chart->SetRanges({0, 100, -5, 5, 10});
  EXPECT_FALSE(chart->UserView());
  // The value axis marked at each of the ten steps asked for.
  auto* valueAxis = ControlAccess::WidgetAs<QChartView>(chart)->chart()->axes(Qt::Vertical).at(0);
  EXPECT_EQ(static_cast<QValueAxis*>(valueAxis)->tickCount(), 11);
  EXPECT_EQ(chart->Ranges().XMax, 100);

  QWidget* view = ControlAccess::Widget(chart);
  QTest::keyClick(view, Qt::Key_Plus);
  EXPECT_TRUE(chart->UserView());
  EXPECT_EQ(viewChanges, 1);
  const TChartRanges zoomed = chart->Ranges();
  EXPECT_LT(zoomed.XMax - zoomed.XMin, 100);
  // The ten marks were for the program's range; a zoomed one has four steps.
  EXPECT_EQ(static_cast<QValueAxis*>(valueAxis)->tickCount(), 5);
  // New ranges from the program wait while the user's view stands.
  chart->SetRanges({100, 200, -5, 5});
  EXPECT_EQ(chart->Ranges().XMin, zoomed.XMin);
  QTest::keyClick(view, Qt::Key_Right);
  EXPECT_GT(chart->Ranges().XMin, zoomed.XMin);
  EXPECT_EQ(viewChanges, 2);
  QTest::keyClick(view, Qt::Key_Home);
  EXPECT_FALSE(chart->UserView());
  EXPECT_EQ(viewChanges, 3);
  EXPECT_EQ(chart->Ranges().XMin, 100);
  EXPECT_EQ(chart->Ranges().XMax, 200);
  EXPECT_EQ(static_cast<QValueAxis*>(valueAxis)->tickCount(), 5);
  chart->SetRanges({100, 200, -5, 5, 10});
  EXPECT_EQ(static_cast<QValueAxis*>(valueAxis)->tickCount(), 11);
}

struct AxisLabel {
  QString text;
  QRectF place;
};

// The axes' labels as drawn: under the plot area (the x axis's) or left of
// it (the value axis's).
std::vector<AxisLabel> AxisLabels(TLineChart* chart, bool underThePlot) {
  auto* view = ControlAccess::WidgetAs<QChartView>(chart);
  const QRectF plot = view->chart()->plotArea();
  std::vector<AxisLabel> labels;
  for (QGraphicsItem* item : view->scene()->items()) {
    auto* text = dynamic_cast<QGraphicsTextItem*>(item);
    if (!text || !text->isVisible() || text->toPlainText().isEmpty()) continue;
    const QRectF place = text->sceneBoundingRect();
    if (underThePlot ? place.top() >= plot.bottom() - 1 : place.right() <= plot.left() + 1)
      labels.push_back({text->toPlainText(), place});
  }
  return labels;
}

TEST(LineChart, AxisLabelsTurnToExponentsPastTenCharactersAndNeverOverlap) {
  TForm form(nullptr);
  TLineChart* chart = ChartOnForm(form, 600, 400);
  form.Show();
  chart->SetRanges({0, 10, -1e300, 1e300, 4});
  QApplication::processEvents();
  const std::vector<AxisLabel> values = AxisLabels(chart, false);
  ASSERT_EQ(values.size(), 5u);
  for (const AxisLabel& label : values) {
    EXPECT_LE(label.text.size(), 10) << label.text.toStdString();
    EXPECT_FALSE(label.text.contains(QChar(0x2026))) << "not cut: " << label.text.toStdString();
  }
  EXPECT_TRUE(std::any_of(values.begin(), values.end(), [](const AxisLabel& l) { return l.text == "1e+300"; }));
  // Round steps are written as they are.
  chart->SetRanges({0, 10, 0, 50, 5});
  QApplication::processEvents();
  std::vector<QString> texts;
  for (const AxisLabel& label : AxisLabels(chart, false)) texts.push_back(label.text);
  std::sort(texts.begin(), texts.end(), [](const QString& a, const QString& b) { return a.toDouble() < b.toDouble(); });
  EXPECT_EQ(texts, (std::vector<QString>{"0", "10", "20", "30", "40", "50"}));

  // Seconds since a start long ago, zoomed to milliseconds, in a narrow
  // window: fewer marks, none over another.
  form.ClientWidth = 240;
  chart->SetBounds(0, 0, 240, 400);
  chart->SetRanges({1e6, 1e6 + 0.004, 0, 1});
  QApplication::processEvents();
  const std::vector<AxisLabel> times = AxisLabels(chart, true);
  ASSERT_GE(times.size(), 2u);
  for (size_t a = 0; a < times.size(); ++a) {
    EXPECT_FALSE(times[a].text.contains(QChar(0x2026))) << times[a].text.toStdString();
    for (size_t b = a + 1; b < times.size(); ++b)
      EXPECT_FALSE(times[a].place.intersects(times[b].place))
          << times[a].text.toStdString() << " over " << times[b].text.toStdString();
  }
}

TEST(LineChart, SeriesKeepTheirPointsNamesAndVisibility) {
  TLineChart chart(nullptr);
  EXPECT_EQ(chart.AddSeries("温度"), 0);
  EXPECT_EQ(chart.AddSeries("b"), 1);
  chart.SetPoints(1, {{0, 1}, {1, 2}, {2, 3}});
  auto* view = ControlAccess::WidgetAs<QChartView>(&chart);
  ASSERT_EQ(view->chart()->series().size(), 2);
  EXPECT_EQ(chart.PointCount(1), 3u);
  EXPECT_EQ(chart.PointCount(0), 0u);
  EXPECT_EQ(chart.SeriesName(0), "温度");
  chart.SetSeriesVisible(0, false);
  EXPECT_FALSE(chart.SeriesVisible(0));
  EXPECT_TRUE(chart.SeriesVisible(1));
  EXPECT_THROW(chart.SetPoints(2, {}), Exception);
  chart.ClearSeries();
  EXPECT_EQ(chart.SeriesCount(), 0);
}

// The chart's picture as it exports it; null if it is no PNG.
QImage Picture(TLineChart& chart) {
  const std::string png = chart.PngImage();
  QImage image;
  image.loadFromData(reinterpret_cast<const uchar*>(png.data()), static_cast<int>(png.size()), "PNG");
  return image;
}

// Pixels of the series' colour in the chart's picture, inside its plot
// area (the legend's marker has the colour too).
int LinePixels(TLineChart& chart, int series) {
  const QImage image = Picture(chart);
  if (image.isNull()) return -1;
  auto* view = ControlAccess::WidgetAs<QChartView>(&chart);
  const QColor colour = view->chart()->series().at(series)->property("color").value<QColor>();
  const QRect area = view->mapFromScene(view->chart()->plotArea()).boundingRect().intersected(image.rect());
  int count = 0;
  for (int y = area.top(); y <= area.bottom(); ++y)
    for (int x = area.left(); x <= area.right(); ++x)
      if (image.pixelColor(x, y).rgb() == colour.rgb()) ++count;
  return count;
}

TEST(LineChart, LinesAreDrawnInTheirColourInsideThePlotAreaAndFollowVisibilityAndRanges) {
  TForm form(nullptr);
  TLineChart* chart = ChartOnForm(form, 400, 300);
  chart->AddSeries("a");
  chart->SetRanges({0, 1, 0, 1});
  EXPECT_EQ(LinePixels(*chart, 0), 0);
  chart->SetPoints(0, {{0, 0.5}, {1, 0.5}});
  // A line across the plot area: most of its width in pixels, and none
  // outside it (the points past the range are cut at its edge).
  const int across = LinePixels(*chart, 0);
  EXPECT_GT(across, 200);
  chart->SetPoints(0, {{-10, 0.5}, {10, 0.5}});
  EXPECT_NEAR(LinePixels(*chart, 0), across, 3);
  // A range that leaves the line out draws none of it; one far past what
  // a pixel can hold still draws it whole.
  chart->SetRanges({0, 1, 2, 3});
  EXPECT_EQ(LinePixels(*chart, 0), 0);
  chart->SetRanges({0, 1, 0.4999999, 0.5000001});
  chart->SetPoints(0, {{0, 0.5}, {0.5, 1e300}, {1, 0.5}});
  EXPECT_GT(LinePixels(*chart, 0), 0);
  chart->SetRanges({0, 1, 0, 1});
  chart->SetPoints(0, {{0, 0.5}, {1, 0.5}});
  chart->SetSeriesVisible(0, false);
  EXPECT_EQ(LinePixels(*chart, 0), 0);
  chart->SetSeriesVisible(0, true);
  EXPECT_NEAR(LinePixels(*chart, 0), across, 3);
  chart->ClearSeries();
  chart->AddSeries("b");
  EXPECT_EQ(LinePixels(*chart, 0), 0);
}

// Dark pixels (text) in each row of the chart's picture.
std::vector<int> DarkRows(TLineChart& chart) {
  const QImage image = Picture(chart);
  std::vector<int> rows(image.height());
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x)
      if (qGray(image.pixel(x, y)) < 128) ++rows[y];
  return rows;
}

int DarkBelow(const std::vector<int>& rows, int row) {
  int count = 0;
  for (size_t y = static_cast<size_t>(std::max(0, row + 1)); y < rows.size(); ++y) count += rows[y];
  return count;
}

TEST(LineChart, XTitleIsWrittenUnderTheAxisLabelsInRoomMadeForIt) {
  TForm form(nullptr);
  TLineChart* chart = ChartOnForm(form, 400, 300);
  chart->SetRanges({0, 10, 0, 1});
  auto* view = ControlAccess::WidgetAs<QChartView>(chart);
  // The chart is laid out as it is drawn. Without a title the axis's
  // labels are the lowest text.
  const std::vector<int> without = DarkRows(*chart);
  const int plotBottom = static_cast<int>(view->chart()->plotArea().bottom());
  int lastRow = static_cast<int>(without.size()) - 1;
  while (lastRow > 0 && without[lastRow] == 0) --lastRow;
  const int labelsDepth = lastRow - plotBottom;
  EXPECT_GT(labelsDepth, 5);

  chart->XTitle = "时间（秒）";
  EXPECT_EQ(chart->XTitle.Get(), "时间（秒）");
  // The plot area gives up a line's height, and the title is written
  // below the labels, not over them.
  const std::vector<int> with = DarkRows(*chart);
  const int plotBottomWith = static_cast<int>(view->chart()->plotArea().bottom());
  EXPECT_LT(plotBottomWith, plotBottom - 8);
  EXPECT_GT(DarkBelow(with, plotBottomWith + labelsDepth), 20);

  chart->XTitle = "";
  EXPECT_EQ(DarkRows(*chart), without);
  EXPECT_EQ(static_cast<int>(view->chart()->plotArea().bottom()), plotBottom);
}

TEST(LineChart, PictureIsAPng) {
  TLineChart chart(nullptr);
  chart.SetBounds(0, 0, 200, 100);
  chart.AddSeries("a");
  const std::string png = chart.PngImage();
  ASSERT_GT(png.size(), 8u);
  EXPECT_EQ(png.substr(1, 3), "PNG");
}

TEST(Align, TopControlsStackClientFillsBetweenAndBottomStaysDown) {
  TForm form(nullptr);
  form.ClientWidth = 300;
  form.ClientHeight = 200;
  auto* top1 = new TGroupBox(&form);
  auto* top2 = new TGroupBox(&form);
  auto* client = new TMemo(&form);
  auto* bottom = new TGroupBox(&form);
  top1->Height = 30;
  top2->Height = 20;
  bottom->Height = 25;
  for (TControl* control : std::initializer_list<TControl*>{top1, top2, client, bottom}) control->Parent = &form;
  top1->Align = alTop;
  top2->Align = alTop;
  bottom->Align = alBottom;
  client->Align = alClient;
  EXPECT_EQ(top2->Top, 30);
  EXPECT_EQ(client->Top, 50);
  EXPECT_EQ(client->Height, 125);
  form.ClientHeight = 300;
  EXPECT_EQ(client->Height, 225);
  EXPECT_EQ(client->Width, 300);
  EXPECT_EQ(bottom->Top, 275);
}

}  // namespace
