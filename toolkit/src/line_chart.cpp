// TLineChart on Qt Charts: a chart view that zooms and pans by wheel, drag
// and keys, and a legend whose markers hide and show their series.
//
// The chart owns the axes, grid, legend, series (their names, colours and
// visibility) and the view's ranges; the series' lines themselves are drawn
// by one item in the chart's scene, placed on its plot area, each as one
// polyline in a cosmetic pen. A QLineSeries given its points lays out and
// strokes an outline of its whole line at every change (for hit-testing the
// mouse, which the plotter does not use), which at 8 series of 500 points
// redrawn 25 times a second took most of the window's processor time.
#include <QBuffer>
#include <QChart>
#include <QChartView>
#include <QFontMetricsF>
#include <QGraphicsItem>
#include <QGraphicsLayout>
#include <QGraphicsSimpleTextItem>
#include <QKeyEvent>
#include <QLegendMarker>
#include <QLineSeries>
#include <QMouseEvent>
#include <QValueAxis>
#include <QWheelEvent>

#include <algorithm>
#include <cmath>
#include <functional>
#include <optional>
#include <vector>

#include "control_data.h"
#include "event_guard.h"
#include "qt_text.h"
#include "toolkit/charts.h"
#include "toolkit/color_scheme.h"

namespace {

// Sixteen colours told apart on white, the first ones the most distinct.
const QColor kSeriesColors[] = {
    {0x1f, 0x77, 0xb4}, {0xd6, 0x27, 0x28}, {0x2c, 0xa0, 0x2c}, {0xff, 0x7f, 0x0e},
    {0x94, 0x67, 0xbd}, {0x8c, 0x56, 0x4b}, {0xe3, 0x77, 0xc2}, {0x7f, 0x7f, 0x7f},
    {0xbc, 0xbd, 0x22}, {0x17, 0xbe, 0xcf}, {0x00, 0x00, 0x80}, {0x80, 0x00, 0x00},
    {0x00, 0x80, 0x80}, {0x80, 0x80, 0x00}, {0x00, 0x00, 0x00}, {0xff, 0x00, 0xff},
};

// Where a series keeps the colour it was given, for the scheme to draw.
constexpr char kGivenColor[] = "givenColor";

// Pixel coordinates past this are held to it: the painter's line clipping
// works in floating point, but a value far outside a zoomed view could map
// to a coordinate beyond what it handles.
constexpr double kFarOutside = 1e7;
// Marks on an axis unless the program asks for others: four steps.
constexpr int kDefaultTicks = 5;
// Around the chart, in pixels; the space under the x axis's labels for its
// title comes on top of it.
constexpr int kChartMargin = 4;
// Labels in fixed-point notation at most this many characters wide; wider
// ones are written in exponent notation ("1.5e+300").
constexpr int kWidestFixedLabel = 10;
// The least room between two labels on an axis, in pixels.
constexpr double kLabelGap = 12;

// The marks an axis from low to high shows in `ticks` equal steps.
std::vector<double> MarkValues(double low, double high, int ticks) {
  std::vector<double> marks;
  for (int i = 0; i < ticks; ++i) marks.push_back(low + (high - low) * i / std::max(ticks - 1, 1));
  return marks;
}

// The printf format that writes every mark with the digits its step needs:
// fixed-point while the widest label fits kWidestFixedLabel characters,
// else exponent notation. The widest label's text goes to *widest.
QString LabelFormat(const std::vector<double>& marks, QString* widest) {
  const double step = marks.size() > 1 ? std::abs(marks[1] - marks[0]) : 0;
  const auto written = [&](const QString& format) {
    QString longest;
    for (double mark : marks) {
      const QString text = QString::asprintf(format.toLatin1().constData(), mark);
      // Close enough that no two marks read the same.
      if (step > 0 && !(std::abs(text.toDouble() - mark) <= step / 10)) return QString();
      if (text.size() > longest.size()) longest = text;
    }
    return longest.isEmpty() ? QStringLiteral("0") : longest;
  };
  for (int decimals = 0; decimals <= 15; ++decimals) {
    const QString format = QStringLiteral("%.%1f").arg(decimals);
    const QString longest = written(format);
    if (longest.isEmpty()) continue;
    if (longest.size() > kWidestFixedLabel) break;
    *widest = longest;
    return format;
  }
  for (int digits = 1; digits <= 16; ++digits) {
    const QString format = QStringLiteral("%.%1e").arg(digits - 1);
    const QString longest = written(format);
    if (longest.isEmpty() && digits < 16) continue;
    *widest = longest;
    return format;
  }
  return QStringLiteral("%g");
}

// The series' lines on the chart's plot area, in the axes' current ranges.
class LinesItem : public QGraphicsItem {
 public:
  LinesItem(QChart* chart, const QValueAxis* xAxis, const QValueAxis* yAxis, const std::vector<QLineSeries*>& series,
            const std::vector<QList<QPointF>>& points)
      : QGraphicsItem(chart), chart_(chart), xAxis_(xAxis), yAxis_(yAxis), series_(series), points_(points) {
    // Among the chart's own items: above the plot area, grid and axes (0
    // to 3) and the series (4), below the legend (5).
    setZValue(4.5);
    setAcceptedMouseButtons(Qt::NoButton);
  }

  void PlotAreaChanged() {
    prepareGeometryChange();
    update();
  }

  QRectF boundingRect() const override { return chart_->plotArea(); }

  void paint(QPainter* painter, const QStyleOptionGraphicsItem*, QWidget*) override {
    const QRectF area = chart_->plotArea();
    const double xSpan = xAxis_->max() - xAxis_->min(), ySpan = yAxis_->max() - yAxis_->min();
    if (area.isEmpty() || !(xSpan > 0) || !(ySpan > 0)) return;
    const double xScale = area.width() / xSpan, yScale = area.height() / ySpan;
    painter->save();
    painter->setClipRect(area);
    painter->setRenderHint(QPainter::Antialiasing, false);
    for (size_t i = 0; i < series_.size() && i < points_.size(); ++i) {
      if (!series_[i]->isVisible() || points_[i].size() < 1) continue;
      mapped_.resize(points_[i].size());
      for (qsizetype p = 0; p < points_[i].size(); ++p) {
        const QPointF& value = points_[i][p];
        mapped_[p] =
            QPointF(std::clamp(area.left() + (value.x() - xAxis_->min()) * xScale, -kFarOutside, kFarOutside),
                    std::clamp(area.bottom() - (value.y() - yAxis_->min()) * yScale, -kFarOutside, kFarOutside));
      }
      painter->setPen(series_[i]->pen());
      if (mapped_.size() == 1)
        painter->drawPoint(mapped_[0]);
      else
        painter->drawPolyline(mapped_.data(), static_cast<int>(mapped_.size()));
    }
    painter->restore();
  }

 private:
  QChart* const chart_;
  const QValueAxis* const xAxis_;
  const QValueAxis* const yAxis_;
  const std::vector<QLineSeries*>& series_;
  const std::vector<QList<QPointF>>& points_;
  std::vector<QPointF> mapped_;  // kept between paints: no new allocations
};

class ChartWidget : public QChartView {
 public:
  ChartWidget() : QChartView(new QChart) {
    QChart* c = chart();
    c->addAxis(xAxis, Qt::AlignBottom);
    c->addAxis(yAxis, Qt::AlignLeft);
    c->legend()->setAlignment(Qt::AlignTop);
    c->setMargins(QMargins(kChartMargin, kChartMargin, kChartMargin, kChartMargin));
    // The view fills what it redraws in white, once: neither the window
    // under it nor the chart over it paints a background there (the light
    // theme's is a white-to-white gradient, painted a span at a time).
    c->setBackgroundVisible(false);
    viewport()->setAutoFillBackground(false);
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    for (QValueAxis* axis : {xAxis, yAxis}) CosmeticPens(axis);
    setFocusPolicy(Qt::StrongFocus);
    setRenderHint(QPainter::Antialiasing, false);
    setDragMode(QGraphicsView::NoDrag);
    // Items move and change at every redraw: an index of where they are
    // would be rebuilt each time for nothing.
    scene()->setItemIndexMethod(QGraphicsScene::NoIndex);
    lines = new LinesItem(c, xAxis, yAxis, series, points);
    // The title is drawn again with the labels beside it at every redraw:
    // from a picture of it, not laid out anew each time.
    xTitle->setCacheMode(QGraphicsItem::DeviceCoordinateCache);
    xTitle->setFont(xAxis->titleFont());
    xTitle->setBrush(xAxis->titleBrush());
    themeText = xAxis->labelsBrush().color();
    themeGrid = xAxis->gridLinePen().color();
    themeLine = xAxis->linePen().color();
    FollowColorScheme();
    QObject::connect(c, &QChart::plotAreaChanged, this, [this] {
      lines->PlotAreaChanged();
      PlaceXTitle();
    });
    QObject::connect(c, &QGraphicsWidget::geometryChanged, this, [this] { PlaceXTitle(); });
    QObject::connect(xAxis, &QValueAxis::rangeChanged, this, [this] {
      lines->update();
      FitLabels(xAxis, xTicks, true);
    });
    QObject::connect(yAxis, &QValueAxis::rangeChanged, this, [this] {
      lines->update();
      FitLabels(yAxis, yTicks, false);
    });
    QObject::connect(c, &QChart::plotAreaChanged, this, [this] {
      FitLabels(xAxis, xTicks, true);
      FitLabels(yAxis, yTicks, false);
    });
  }

  // Writes the axis's labels in as few characters as tell its marks apart
  // (exponent notation past kWidestFixedLabel), and shows as many of the
  // wanted marks as leave room between their labels, at least two: labels
  // never overlap, however far the user zooms or however small the window.
  void FitLabels(QValueAxis* axis, int wanted, bool across) {
    const double length = across ? chart()->plotArea().width() : chart()->plotArea().height();
    const QFontMetricsF metrics(axis->labelsFont());
    int ticks = wanted;
    QString format, widest;
    for (;; --ticks) {
      format = LabelFormat(MarkValues(axis->min(), axis->max(), ticks), &widest);
      const double room = across ? metrics.horizontalAdvance(widest) : metrics.height();
      if (ticks <= 2 || (ticks - 1) * (room + kLabelGap) <= length || length <= 0) break;
    }
    if (axis->labelFormat() != format) axis->setLabelFormat(format);
    if (axis->tickCount() != ticks) axis->setTickCount(ticks);
  }

  QValueAxis* const xAxis = new QValueAxis;
  QValueAxis* const yAxis = new QValueAxis;
  // The chart's series, kept without points: they give the legend its
  // entries and the lines their colours and visibility.
  std::vector<QLineSeries*> series;
  std::vector<QList<QPointF>> points;  // each series' points, in values
  LinesItem* lines = nullptr;
  // The x axis's title, under its labels. Not the axis's own: a Qt Charts
  // axis lays its title out anew (a rich-text document) whenever its range
  // changes, which on the time axis is at every redraw.
  QGraphicsSimpleTextItem* const xTitle = new QGraphicsSimpleTextItem(chart());
  QColor themeText, themeGrid, themeLine;  // the light theme's own
  TChartRanges programRanges{0, 1, 0, 1};
  // The marks each axis shows when there is room for their labels.
  int xTicks = kDefaultTicks;
  int yTicks = kDefaultTicks;
  bool userView = false;
  std::function<void()> viewChanged;
  std::function<void()> seriesToggled;

  // The axis's lines, ticks and grid in the theme's colours, one pixel
  // wide whatever the scale. A line item with a pen of some width works
  // out its bounds by stroking an outline of itself, and the time axis's
  // grid and ticks move at every redraw.
  static void CosmeticPens(QValueAxis* axis) {
    QPen pen = axis->linePen();
    pen.setWidth(0);
    axis->setLinePen(pen);
    pen = axis->gridLinePen();
    pen.setWidth(0);
    axis->setGridLinePen(pen);
    pen = axis->minorGridLinePen();
    pen.setWidth(0);
    axis->setMinorGridLinePen(pen);
  }

  void SetXTitle(const QString& text) {
    xTitle->setText(text);
    const int below = text.isEmpty() ? 0 : static_cast<int>(std::ceil(xTitle->boundingRect().height()));
    chart()->setMargins(QMargins(kChartMargin, kChartMargin, kChartMargin, kChartMargin + below));
    // Laid out now, not at the event loop's next turn: a picture taken at
    // once shows the title where it belongs.
    if (chart()->layout()) chart()->layout()->activate();
    PlaceXTitle();
  }

  void PlaceXTitle() {
    const QRectF area = chart()->plotArea();
    const QSizeF size = xTitle->boundingRect().size();
    // The background (and the margin inside it) stops short of the chart's
    // edge by the layout's own margin.
    qreal left = 0, top = 0, right = 0, bottom = 0;
    if (chart()->layout()) chart()->layout()->getContentsMargins(&left, &top, &right, &bottom);
    xTitle->setPos(std::round(area.center().x() - size.width() / 2),
                   std::round(chart()->size().height() - bottom - kChartMargin - size.height()));
  }

  void ShowRanges(const TChartRanges& r) {
    xAxis->setRange(r.XMin, r.XMax);
    yAxis->setRange(r.YMin, r.YMax);
    yTicks = r.YSteps > 0 ? r.YSteps + 1 : kDefaultTicks;
    FitLabels(yAxis, yTicks, false);
  }

  void ResetView() {
    userView = false;
    ShowRanges(programRanges);
  }

  void ShowMarkerState(QLineSeries* line) {
    for (QLegendMarker* marker : chart()->legend()->markers(line)) {
      // A hidden series keeps its marker, faded, so that it can be shown
      // again.
      marker->setVisible(true);
      QColor label = marker->labelBrush().color();
      label.setAlphaF(line->isVisible() ? 1.0 : 0.4);
      marker->setLabelBrush(label);
      QColor box = line->color();
      box.setAlphaF(line->isVisible() ? 1.0 : 0.2);
      marker->setBrush(box);
    }
  }

  void ConnectMarker(QLineSeries* line) {
    for (QLegendMarker* marker : chart()->legend()->markers(line))
      QObject::connect(marker, &QLegendMarker::clicked, this, [this, line] {
        line->setVisible(!line->isVisible());
        ShowMarkerState(line);
        lines->update();
        if (seriesToggled) seriesToggled();
      });
  }

  // The background is the scheme's window colour (white in the classic
  // one); on a dark one the labels, lines and grid take the palette's
  // light colours in place of the theme's dark ones.
  void FollowColorScheme() {
    setBackgroundBrush(ToQColor(clWindow));
    const bool dark = DarkColors();
    const QColor text = dark ? palette().color(QPalette::Text) : themeText;
    const QColor grid = dark ? palette().color(QPalette::Light) : themeGrid;
    const QColor line = dark ? palette().color(QPalette::Text) : themeLine;
    for (QValueAxis* axis : {xAxis, yAxis}) {
      axis->setLabelsBrush(text);
      QPen pen = axis->gridLinePen();
      pen.setColor(grid);
      axis->setGridLinePen(pen);
      pen = axis->linePen();
      pen.setColor(line);
      axis->setLinePen(pen);
    }
    xTitle->setBrush(text);
    chart()->legend()->setLabelColor(text);
    const QColor base = ToQColor(clWindow);
    const TColor under = static_cast<TColor>(base.red() | (base.green() << 8) | (base.blue() << 16));
    for (QAbstractSeries* series : chart()->series()) {
      auto* line = qobject_cast<QLineSeries*>(series);
      if (!line) continue;
      // Each series' colour, lightened on a dark background until it shows.
      const QColor given = line->property(kGivenColor).value<QColor>();
      QPen pen = line->pen();
      pen.setColor(ToQColor(TextColorInEffect(given.red() | (given.green() << 8) | (given.blue() << 16), under)));
      line->setPen(pen);
      ShowMarkerState(line);
    }
  }

 protected:
  void changeEvent(QEvent* event) override {
    QChartView::changeEvent(event);
    if (event->type() == QEvent::PaletteChange) FollowColorScheme();
  }

  void wheelEvent(QWheelEvent* event) override {
    const double notches = event->angleDelta().y() / 120.0;
    if (notches == 0) return;
    // Zooms about the point under the cursor; Ctrl zooms the values.
    const QPointF at = chart()->mapToValue(event->position());
    const double factor = std::pow(0.8, notches);
    if (event->modifiers() & Qt::ControlModifier)
      ZoomAxis(yAxis, at.y(), factor);
    else
      ZoomAxis(xAxis, at.x(), factor);
    UserChanged();
    event->accept();
  }

  void mousePressEvent(QMouseEvent* event) override {
    if (event->button() == Qt::LeftButton) dragFrom = event->position();
    QChartView::mousePressEvent(event);
  }

  void mouseMoveEvent(QMouseEvent* event) override {
    if (event->buttons() & Qt::LeftButton && dragFrom) {
      const QPointF delta = event->position() - *dragFrom;
      dragFrom = event->position();
      chart()->scroll(-delta.x(), delta.y());
      UserChanged();
    }
    QChartView::mouseMoveEvent(event);
  }

  void mouseReleaseEvent(QMouseEvent* event) override {
    if (event->button() == Qt::LeftButton) dragFrom.reset();
    QChartView::mouseReleaseEvent(event);
  }

  void keyPressEvent(QKeyEvent* event) override {
    // Steps of a tenth of the range shown, whatever the chart's size.
    switch (event->key()) {
      case Qt::Key_Left:
        PanAxis(xAxis, -0.1);
        break;
      case Qt::Key_Right:
        PanAxis(xAxis, 0.1);
        break;
      case Qt::Key_Up:
        PanAxis(yAxis, 0.1);
        break;
      case Qt::Key_Down:
        PanAxis(yAxis, -0.1);
        break;
      case Qt::Key_Plus:
      case Qt::Key_Equal:
        ZoomAxis(xAxis, NAN, 0.8);
        ZoomAxis(yAxis, NAN, 0.8);
        break;
      case Qt::Key_Minus:
        ZoomAxis(xAxis, NAN, 1.25);
        ZoomAxis(yAxis, NAN, 1.25);
        break;
      case Qt::Key_Home:
        ResetView();
        if (viewChanged) viewChanged();
        return;
      default:
        QChartView::keyPressEvent(event);
        return;
    }
    UserChanged();
  }

 private:
  void ZoomAxis(QValueAxis* axis, double about, double factor) {
    if (!std::isfinite(about)) about = (axis->min() + axis->max()) / 2;
    const double low = about - (about - axis->min()) * factor, high = about + (axis->max() - about) * factor;
    if (!(high > low && std::isfinite(low) && std::isfinite(high))) return;
    // The program's marks fit its own range, in round steps; a zoomed one
    // gets the usual four steps.
    if (axis == yAxis) yTicks = kDefaultTicks;
    axis->setRange(low, high);
    FitLabels(axis, axis == yAxis ? yTicks : xTicks, axis == xAxis);
  }

  static void PanAxis(QValueAxis* axis, double fraction) {
    const double step = (axis->max() - axis->min()) * fraction;
    if (std::isfinite(axis->min() + step) && std::isfinite(axis->max() + step))
      axis->setRange(axis->min() + step, axis->max() + step);
  }

  void UserChanged() {
    userView = true;
    if (viewChanged) viewChanged();
  }

  std::optional<QPointF> dragFrom;
};

ChartWidget* View(const TLineChart* chart) { return ControlAccess::WidgetAs<ChartWidget>(chart); }

QLineSeries* Line(const TLineChart* chart, int series) {
  const auto& all = View(chart)->series;
  if (series < 0 || series >= static_cast<int>(all.size())) throw Exception("Series index out of bounds");
  return all[series];
}

}  // namespace

TLineChart::TLineChart(TComponent* AOwner)
    : TWinControl(AOwner, NewControlData([] { return new ChartWidget; }, QPalette::Base, clWindow)),
      XTitle([this] { return FromQString(View(this)->xTitle->text()); },
             [this](const String& value) { View(this)->SetXTitle(ToQString(value)); }) {
  View(this)->viewChanged = [this] {
    CallGuarded(this, [this] {
      if (OnViewChange) OnViewChange(this);
    });
  };
  View(this)->seriesToggled = [this] {
    CallGuarded(this, [this] {
      if (OnSeriesVisibleChange) OnSeriesVisibleChange(this);
    });
  };
}

TLineChart::~TLineChart() = default;

int TLineChart::AddSeries(const String& Name) {
  ChartWidget* view = View(this);
  auto* line = new QLineSeries;
  line->setName(ToQString(Name));
  // A thin cosmetic pen takes the painter's fast path: a series redrawn 25
  // times a second costs a fraction of what a wide one does.
  QPen pen(kSeriesColors[view->series.size() % std::size(kSeriesColors)]);
  pen.setWidth(1);
  pen.setCosmetic(true);
  line->setPen(pen);
  line->setProperty(kGivenColor, pen.color());
  view->chart()->addSeries(line);
  view->FollowColorScheme();
  line->attachAxis(view->xAxis);
  line->attachAxis(view->yAxis);
  view->series.push_back(line);
  view->points.emplace_back();
  view->ConnectMarker(line);
  view->ShowMarkerState(line);
  return static_cast<int>(view->series.size() - 1);
}

int TLineChart::SeriesCount() const { return static_cast<int>(View(this)->series.size()); }

String TLineChart::SeriesName(int Series) const { return FromQString(Line(this, Series)->name()); }

void TLineChart::ClearSeries() {
  ChartWidget* view = View(this);
  view->chart()->removeAllSeries();
  view->series.clear();
  view->points.clear();
  view->lines->update();
}

void TLineChart::SetPoints(int Series, const std::vector<TChartPoint>& Points) {
  (void)Line(this, Series);  // a series that does not exist throws
  ChartWidget* view = View(this);
  QList<QPointF>& points = view->points[static_cast<size_t>(Series)];
  points.resize(static_cast<qsizetype>(Points.size()));
  for (size_t i = 0; i < Points.size(); ++i) points[static_cast<qsizetype>(i)] = QPointF(Points[i].X, Points[i].Y);
  view->lines->update();
}

size_t TLineChart::PointCount(int Series) const {
  (void)Line(this, Series);
  return static_cast<size_t>(View(this)->points[static_cast<size_t>(Series)].size());
}

bool TLineChart::SeriesVisible(int Series) const { return Line(this, Series)->isVisible(); }

void TLineChart::SetSeriesVisible(int Series, bool Visible) {
  QLineSeries* line = Line(this, Series);
  line->setVisible(Visible);
  View(this)->ShowMarkerState(line);
  View(this)->lines->update();
}

void TLineChart::SetRanges(const TChartRanges& Ranges) {
  ChartWidget* view = View(this);
  view->programRanges = Ranges;
  if (!view->userView) view->ShowRanges(Ranges);
}

TChartRanges TLineChart::Ranges() const {
  const ChartWidget* view = View(this);
  return {view->xAxis->min(), view->xAxis->max(), view->yAxis->min(), view->yAxis->max()};
}

bool TLineChart::UserView() const { return View(this)->userView; }

void TLineChart::ResetView() { View(this)->ResetView(); }

std::string TLineChart::PngImage() const {
  const QPixmap picture = View(this)->grab();
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  if (!picture.save(&buffer, "PNG")) return std::string();
  return bytes.toStdString();
}
