// The log area's drawing, hit testing, keys, mouse, find and menu.
#include <QCoreApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>

#include <algorithm>

#include "log_area.h"
#include "log_match_scan.h"
#include "read_only_text_menu.h"

namespace {

constexpr int kMargin = 4;
const QColor kMatchBack(255, 226, 92);

bool IsContinuation(char byte) { return (static_cast<unsigned char>(byte) & 0xC0) == 0x80; }

}  // namespace

QList<QTextLayout::FormatRange> LogArea::Marks(const RowLayout& row,
                                               const std::vector<LogSearch::Match>& matches) const {
  QList<QTextLayout::FormatRange> marks;
  QTextCharFormat matchFormat;
  matchFormat.setBackground(kMatchBack);
  matchFormat.setForeground(QColor(Qt::black));
  for (const LogSearch::Match& match : matches) {
    const std::uint64_t start = std::max(row.start, match.start);
    const std::uint64_t end = std::min(row.end, match.start + match.length);
    if (end > start) marks.append({row.Unit(start), row.Unit(end) - row.Unit(start), matchFormat});
  }
  const std::uint64_t selFrom = std::max(row.start, SelectionStart());
  const std::uint64_t selTo = std::min(row.end, SelectionEnd());
  if (selTo > selFrom) {
    QTextCharFormat selected;
    selected.setBackground(palette().brush(hasFocus() ? QPalette::Active : QPalette::Inactive, QPalette::Highlight));
    selected.setForeground(
        palette().brush(hasFocus() ? QPalette::Active : QPalette::Inactive, QPalette::HighlightedText));
    marks.append({row.Unit(selFrom), row.Unit(selTo) - row.Unit(selFrom), selected});
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
  const std::vector<Row> rows = VisibleRows();
  std::vector<LogSearch::Match> matches;
  if (search.Active() && !rows.empty()) {
    // A match that starts above the view and reaches into it is marked too.
    const std::uint64_t first = document.RowAt(rows.front().index).start;
    const std::uint64_t from = std::max(document.LineStartOf(first), first > kSearchWindow ? first - kSearchWindow : 0);
    matches = search.MatchesIn(document, from, document.RowAt(rows.back().index).end + 1);
  }
  for (const Row& row : rows) {
    const RowLayout layout = Layout(row.index);
    layout.layout->draw(&painter, QPointF(kMargin, row.y), Marks(layout, matches));
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
  const std::uint64_t index = document.RowOf(position);
  for (const Row& row : VisibleRows()) {
    if (row.index != index) continue;
    const RowLayout layout = Layout(index);
    const int offset = layout.Unit(position);
    const QTextLine line = layout.layout->lineForTextPosition(offset);
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
    const RowLayout layout = Layout(row.index);
    QTextLine line = layout.layout->lineAt(0);
    for (int i = 0; i < layout.layout->lineCount(); ++i)
      if (point.y() >= row.y + layout.layout->lineAt(i).y()) line = layout.layout->lineAt(i);
    return layout.Position(line.xToCursor(point.x() - kMargin));
  }
  return document.End();
}

// A word around a position, looked for no more than 1024 bytes each way.
void LogArea::SelectWordAt(std::uint64_t position) {
  const auto boundary = [this](std::uint64_t at, bool back) {
    while (at > document.Begin() && at < document.End() && IsContinuation(document.ByteAt(at))) back ? --at : ++at;
    return at;
  };
  const std::uint64_t lineStart = document.LineStartOf(position);
  const std::uint64_t lineEnd = document.LineEndOf(position);
  const std::uint64_t from = boundary(std::max(lineStart, position > 1024 ? position - 1024 : 0), false);
  const std::uint64_t to = boundary(std::min(lineEnd, position + 1024), true);
  const QString text = TextOf(from, to);
  const auto word = [&](qsizetype i) { return text[i] == u'_' || text[i].isLetterOrNumber(); };
  const qsizetype at = TextOf(from, position).size();
  qsizetype first = at, last = at;
  while (first > 0 && word(first - 1)) --first;
  while (last < text.size() && word(last)) ++last;
  if (first == last && last < text.size()) ++last;
  const auto bytes = [&](qsizetype units) { return from + std::uint64_t(text.left(units).toUtf8().size()); };
  SetSelection(bytes(first), bytes(last));
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
  const std::uint64_t selStart = SelectionStart();
  const bool selected = SelectionEnd() != selStart;
  const std::uint64_t from = backward   ? selStart
                             : selected ? selStart + 1
                                        : std::clamp(caret, document.Begin(), document.End());
  const std::optional<LogSearch::Match> match = search.Next(document, from, backward);
  if (!match) return false;
  SetSelection(match->start, match->start + match->length);
  Reveal(match->start);
  return true;
}

QMenu* LogArea::CreateStandardContextMenu() {
  return NewReadOnlyTextMenu(
      this, SelectionEnd() != SelectionStart(), document.Length() > 0, [this] { Copy(); },
      [this] { SetSelection(document.Begin(), document.End()); });
}
