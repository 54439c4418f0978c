#include "log_area.h"

#include <QAccessible>
#include <QClipboard>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>

#include <algorithm>

#include "strip_painted_scroll_bar.h"

namespace {

constexpr int kMargin = 4;  // as a text area's document margin
// Layouts kept for drawing again: a few screens' worth.
constexpr std::size_t kCachedLayouts = 512;

QString ToQString(const std::u16string& text) {
  return QString(reinterpret_cast<const QChar*>(text.data()), qsizetype(text.size()));
}

}  // namespace

LogArea::LogArea() {
  setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  setFocusPolicy(Qt::StrongFocus);
  viewport()->setCursor(Qt::IBeamCursor);
  // As the memo: text that needs no shaping is drawn without it.
  QFont font = this->font();
  font.setStyleStrategy(QFont::PreferNoShaping);
  setFont(font);
  setAutoFillBackground(true);
  PaintInStrips(verticalScrollBar());
  verticalScrollBar()->setSingleStep(1);
  connect(verticalScrollBar(), &QScrollBar::valueChanged, this, [this](int value) { OnScrolled(value); });
}

// The scroll bar is taken apart after the area's own members.
LogArea::~LogArea() { verticalScrollBar()->disconnect(this); }

void LogArea::AppendText(std::u16string_view text, std::uint32_t style) {
  const bool tell = QAccessible::isActive();
  std::u16string dropped;
  if (tell) document.droppedText = &dropped;
  const std::uint64_t endBefore = document.End();
  document.Append(text, style);
  document.droppedText = nullptr;
  if (tell) {
    if (!dropped.empty()) {
      QAccessibleTextRemoveEvent removed(this, 0, ToQString(dropped));
      QAccessible::updateAccessibility(&removed);
    }
    const std::uint64_t from = std::max(endBefore, document.Begin());
    QAccessibleTextInsertEvent inserted(this, int(from - document.Begin()),
                                        ToQString(document.Slice(from, document.End())));
    QAccessible::updateAccessibility(&inserted);
  }
  ScheduleSync();
  if (changed) changed();
}

void LogArea::ClearText() {
  document.Clear();
  styles.Clear();
  layouts_.clear();
  anchor = caret = 0;
  topSerial_ = 0;
  follow_ = true;
  if (search.Active()) search.Restart();
  ScheduleSync();
  if (changed) changed();
  if (search.Active() && findChanged) findChanged();
}

void LogArea::SetLimit(std::uint64_t limit) {
  if (document.SetLimit(limit) == 0) return;
  ScheduleSync();
  if (changed) changed();
}

std::uint64_t LogArea::SelectionStart() const {
  return std::clamp(std::min(anchor, caret), document.Begin(), document.End());
}

std::uint64_t LogArea::SelectionEnd() const {
  return std::clamp(std::max(anchor, caret), document.Begin(), document.End());
}

void LogArea::SetSelection(std::uint64_t from, std::uint64_t to) {
  anchor = from;
  caret = to;
  viewport()->update();
}

QString LogArea::SelectedText() const { return ToQString(document.Slice(SelectionStart(), SelectionEnd())); }

void LogArea::Copy() const {
  const QString text = SelectedText();
  if (!text.isEmpty()) QGuiApplication::clipboard()->setText(text);
}

void LogArea::ScheduleSync() {
  if (syncPending_) return;
  syncPending_ = true;
  QMetaObject::invokeMethod(
      this,
      [this] {
        if (syncPending_) Sync();
      },
      Qt::QueuedConnection);
}

void LogArea::Sync() {
  syncPending_ = false;
  if (search.Update(document) && findChanged) findChanged();
  const std::uint64_t dropped = document.DroppedSegments();
  const std::size_t bottom = BottomIndex();
  const std::uint64_t kept = topSerial_ < dropped ? 0 : topSerial_ - dropped;
  const std::size_t top = follow_ ? bottom : std::size_t(std::min<std::uint64_t>(kept, bottom));
  topSerial_ = dropped + top;
  QScrollBar* bar = verticalScrollBar();
  adjusting_ = true;
  bar->setRange(0, int(bottom));
  bar->setPageStep(std::max(1, viewport()->height() / std::max(1, fontMetrics().lineSpacing()) - 1));
  bar->setValue(int(top));
  adjusting_ = false;
  if (!painting_) viewport()->update();
}

void LogArea::OnScrolled(int value) {
  if (adjusting_) return;
  topSerial_ = document.DroppedSegments() + std::uint64_t(value);
  follow_ = value >= verticalScrollBar()->maximum();
  viewport()->update();
}

bool LogArea::AtBottom() {
  Sync();
  return follow_;
}

void LogArea::ScrollToSegment(std::size_t index) {
  Sync();
  QScrollBar* bar = verticalScrollBar();
  const int value = int(std::min<std::size_t>(index, std::size_t(bar->maximum())));
  adjusting_ = true;
  bar->setValue(value);
  adjusting_ = false;
  topSerial_ = document.DroppedSegments() + std::uint64_t(value);
  follow_ = value >= bar->maximum();
  viewport()->update();
}

void LogArea::ScrollToTop() { ScrollToSegment(0); }

void LogArea::ScrollToBottom() { ScrollToSegment(document.SegmentCount()); }

bool LogArea::SegmentVisible(std::size_t index) {
  const int height = viewport()->height();
  for (const Row& row : VisibleRows())
    if (row.index == index) return row.y >= 0 && row.y + Height(row.index) <= std::max(height, Height(row.index));
  return false;
}

void LogArea::Reveal(std::uint64_t position) {
  Sync();
  const std::size_t index = document.SegmentOf(position);
  if (SegmentVisible(index)) return;
  // A little of what leads to it stays in view above it.
  ScrollToSegment(index > 2 ? index - 2 : 0);
}

std::uint64_t LogArea::TopPosition() {
  Sync();
  for (const Row& row : VisibleRows())
    if (row.y >= 0) return document.SegmentAt(row.index).start;
  return document.Begin();
}

int LogArea::TextWidth() const { return std::max(16, viewport()->width() - 2 * kMargin); }

std::shared_ptr<QTextLayout> LogArea::Layout(std::size_t index) {
  if (layoutWidth_ != TextWidth()) {
    layouts_.clear();
    layoutWidth_ = TextWidth();
  }
  const std::uint64_t serial = document.DroppedSegments() + index;
  const std::uint64_t start = document.SegmentAt(index).start;
  const std::uint64_t end = document.SegmentEnd(index);
  auto cached = layouts_.find(serial);
  if (cached != layouts_.end() && cached->second.end == end) return cached->second.layout;
  if (layouts_.size() >= kCachedLayouts) layouts_.clear();

  auto layout = std::make_shared<QTextLayout>(ToQString(document.Slice(start, end)), font(), viewport());
  QTextOption option;
  option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
  layout->setTextOption(option);
  QList<QTextLayout::FormatRange> formats;
  for (std::size_t r = document.RunOf(start); r < document.RunCount() && document.RunAt(r).start < end; ++r) {
    const QTextCharFormat format = styles.Format(document.RunAt(r).style, palette());
    if (format.isEmpty()) continue;
    const std::uint64_t from = std::max(start, document.RunAt(r).start);
    const std::uint64_t to = r + 1 < document.RunCount() ? std::min(end, document.RunAt(r + 1).start) : end;
    if (to > from) formats.append({int(from - start), int(to - from), format});
  }
  layout->setFormats(formats);
  layout->setCacheEnabled(true);
  layout->beginLayout();
  qreal y = 0;
  for (QTextLine line = layout->createLine(); line.isValid(); line = layout->createLine()) {
    line.setLineWidth(layoutWidth_);
    line.setPosition(QPointF(0, y));
    y += std::max<qreal>(line.height(), fontMetrics().lineSpacing());
  }
  layout->endLayout();
  layouts_[serial] = CachedLayout{end, layout};
  return layout;
}

std::size_t LogArea::BottomIndex() {
  const int height = viewport()->height();
  int total = 0;
  const std::size_t count = document.SegmentCount();
  for (std::size_t i = count; i-- > 0;) {
    total += Height(i);
    if (total > height) return i + 1 < count ? i + 1 : i;
  }
  return 0;
}

std::vector<LogArea::Row> LogArea::VisibleRows() {
  std::vector<Row> rows;
  const int height = viewport()->height();
  const std::size_t count = document.SegmentCount();
  const std::uint64_t dropped = document.DroppedSegments();
  const std::size_t top =
      std::size_t(std::min<std::uint64_t>(topSerial_ < dropped ? 0 : topSerial_ - dropped, count - 1));
  if (follow_ && top > 0) {
    // At the bottom the newest line sits on the bottom edge.
    int y = height;
    for (std::size_t i = count; i-- > 0 && y > 0;) {
      y -= Height(i);
      rows.push_back(Row{i, y});
    }
    std::reverse(rows.begin(), rows.end());
    return rows;
  }
  int y = 0;
  for (std::size_t i = top; i < count && y < height; ++i) {
    rows.push_back(Row{i, y});
    y += Height(i);
  }
  return rows;
}
