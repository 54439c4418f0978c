// The log area's drawing, hit testing, keys, mouse, find and menu.
#include <QCoreApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>

#include <algorithm>

#include "log_area.h"
#include "read_only_text_menu.h"

namespace {

constexpr int kMargin = 4;
const QColor kMatchBack(255, 226, 92);

}  // namespace

QList<QTextLayout::FormatRange> LogArea::Marks(std::uint64_t from, std::uint64_t to) const {
  QList<QTextLayout::FormatRange> marks;
  const auto& matches = search.Matches();
  QTextCharFormat matchFormat;
  matchFormat.setBackground(kMatchBack);
  matchFormat.setForeground(QColor(Qt::black));
  for (std::size_t i = search.FirstEndingAfter(from); i < matches.size() && matches[i].start < to; ++i) {
    const std::uint64_t start = std::max(from, matches[i].start);
    const std::uint64_t end = std::min(to, matches[i].start + matches[i].length);
    if (end > start) marks.append({int(start - from), int(end - start), matchFormat});
  }
  const std::uint64_t selFrom = std::max(from, SelectionStart());
  const std::uint64_t selTo = std::min(to, SelectionEnd());
  if (selTo > selFrom) {
    QTextCharFormat selected;
    selected.setBackground(palette().brush(hasFocus() ? QPalette::Active : QPalette::Inactive, QPalette::Highlight));
    selected.setForeground(
        palette().brush(hasFocus() ? QPalette::Active : QPalette::Inactive, QPalette::HighlightedText));
    marks.append({int(selFrom - from), int(selTo - selFrom), selected});
  }
  return marks;
}

void LogArea::paintEvent(QPaintEvent*) {
  if (syncPending_) {
    painting_ = true;
    Sync();
    painting_ = false;
  }
  QPainter painter(viewport());
  painter.setPen(palette().color(QPalette::Text));
  for (const Row& row : VisibleRows()) {
    const std::uint64_t start = document.SegmentAt(row.index).start;
    Layout(row.index)->draw(&painter, QPointF(kMargin, row.y), Marks(start, document.SegmentEnd(row.index)));
  }
}

void LogArea::resizeEvent(QResizeEvent* event) {
  QAbstractScrollArea::resizeEvent(event);
  Sync();
}

void LogArea::changeEvent(QEvent* event) {
  QAbstractScrollArea::changeEvent(event);
  if (event->type() == QEvent::FontChange || event->type() == QEvent::PaletteChange) {
    layouts_.clear();
    ScheduleSync();
  }
}

QRect LogArea::CharacterRect(std::uint64_t position) {
  Sync();
  const std::size_t index = document.SegmentOf(position);
  for (const Row& row : VisibleRows()) {
    if (row.index != index) continue;
    auto layout = Layout(index);
    const int offset = int(position - document.SegmentAt(index).start);
    const QTextLine line = layout->lineForTextPosition(offset);
    if (!line.isValid()) return QRect();
    const qreal x = line.cursorToX(offset);
    const qreal next = offset < line.textStart() + line.textLength() ? line.cursorToX(offset + 1) : x + 1;
    return QRect(kMargin + int(x), row.y + int(line.y()), std::max(1, int(next - x)), int(line.height()));
  }
  return QRect();
}

std::uint64_t LogArea::PositionAt(QPoint point) {
  Sync();
  const std::vector<Row> rows = VisibleRows();
  if (rows.empty()) return document.End();
  for (const Row& row : rows) {
    if (point.y() >= row.y + Height(row.index) && &row != &rows.back()) continue;
    auto layout = Layout(row.index);
    const std::uint64_t start = document.SegmentAt(row.index).start;
    QTextLine line = layout->lineAt(0);
    for (int i = 0; i < layout->lineCount(); ++i)
      if (point.y() >= row.y + layout->lineAt(i).y()) line = layout->lineAt(i);
    return std::min(start + std::uint64_t(std::max(0, line.xToCursor(point.x() - kMargin))),
                    document.SegmentEnd(row.index));
  }
  return document.End();
}

void LogArea::SelectWordAt(std::uint64_t position) {
  std::uint64_t from = position;
  std::uint64_t to = position;
  const std::uint64_t lineStart = document.LineStartOf(position);
  const std::uint64_t lineEnd = document.LineEndOf(position);
  while (from > lineStart && position - from < 1024 && IsWordUnitAt(from - 1)) --from;
  while (to < lineEnd && to - position < 1024 && IsWordUnitAt(to)) ++to;
  if (from == to && to < lineEnd) ++to;
  SetSelection(from, to);
}

bool LogArea::IsWordUnitAt(std::uint64_t position) const {
  const char16_t unit = document.At(position);
  return unit == u'_' || QChar(unit).isLetterOrNumber();
}

void LogArea::keyPressEvent(QKeyEvent* event) {
  QScrollBar* bar = verticalScrollBar();
  Sync();
  if (event == QKeySequence::Copy) return Copy();
  if (event == QKeySequence::SelectAll) return SetSelection(document.Begin(), document.End());
  switch (event->key()) {
    case Qt::Key_Up:
      return bar->triggerAction(QAbstractSlider::SliderSingleStepSub);
    case Qt::Key_Down:
      return bar->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    case Qt::Key_PageUp:
      return bar->triggerAction(QAbstractSlider::SliderPageStepSub);
    case Qt::Key_PageDown:
      return bar->triggerAction(QAbstractSlider::SliderPageStepAdd);
    case Qt::Key_Home:
      return ScrollToTop();
    case Qt::Key_End:
      return ScrollToBottom();
    case Qt::Key_F3:
      if (search.Active()) {
        FindNext(event->modifiers() & Qt::ShiftModifier);
        return;
      }
      break;
    default:
      break;
  }
  event->ignore();
}

void LogArea::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return QAbstractScrollArea::mousePressEvent(event);
  const std::uint64_t position = PositionAt(event->position().toPoint());
  if (!(event->modifiers() & Qt::ShiftModifier)) anchor = position;
  SetSelection(anchor, position);
}

void LogArea::mouseMoveEvent(QMouseEvent* event) {
  if (!(event->buttons() & Qt::LeftButton)) return;
  const QPoint point = event->position().toPoint();
  // Dragging past an edge scrolls on, a line a move.
  if (point.y() < 0) verticalScrollBar()->triggerAction(QAbstractSlider::SliderSingleStepSub);
  if (point.y() > viewport()->height()) verticalScrollBar()->triggerAction(QAbstractSlider::SliderSingleStepAdd);
  SetSelection(anchor, PositionAt(QPoint(point.x(), std::clamp(point.y(), 0, viewport()->height() - 1))));
}

void LogArea::mouseDoubleClickEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton || document.Length() == 0) return;
  SelectWordAt(std::min(PositionAt(event->position().toPoint()), document.End() - 1));
}

bool LogArea::FindNext(bool backward) {
  Sync();
  const auto& matches = search.Matches();
  if (matches.empty()) return false;
  const std::uint64_t selStart = SelectionStart();
  const bool selected = SelectionEnd() != selStart;
  const auto startsBefore = [](const LogSearch::Match& m, std::uint64_t p) { return m.start < p; };
  std::size_t pick;
  if (!backward) {
    const std::uint64_t from = selected ? selStart + 1 : std::clamp(caret, document.Begin(), document.End());
    pick = std::size_t(std::lower_bound(matches.begin(), matches.end(), from, startsBefore) - matches.begin());
    if (pick == matches.size()) pick = 0;
  } else {
    pick = std::size_t(std::lower_bound(matches.begin(), matches.end(), selStart, startsBefore) - matches.begin());
    pick = pick == 0 ? matches.size() - 1 : pick - 1;
  }
  SetSelection(matches[pick].start, matches[pick].start + matches[pick].length);
  Reveal(matches[pick].start);
  return true;
}

QMenu* LogArea::CreateStandardContextMenu() {
  return NewReadOnlyTextMenu(
      this, SelectionEnd() != SelectionStart(), document.Length() > 0, [this] { Copy(); },
      [this] { SetSelection(document.Begin(), document.End()); });
}
