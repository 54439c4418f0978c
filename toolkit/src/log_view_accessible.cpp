#include "log_view_accessible.h"

#include <QAccessibleWidget>
#include <QTextBoundaryFinder>

#include <algorithm>

#include "log_area.h"

namespace {

// Words and sentences are looked for this far around an offset: a line of
// megabytes is never handed over whole.
constexpr int kReach = 4096;

class LogViewAccessible : public QAccessibleWidget, public QAccessibleTextInterface {
 public:
  explicit LogViewAccessible(LogArea* area) : QAccessibleWidget(area, QAccessible::EditableText) {}

  void* interface_cast(QAccessible::InterfaceType type) override {
    if (type == QAccessible::TextInterface) return static_cast<QAccessibleTextInterface*>(this);
    return QAccessibleWidget::interface_cast(type);
  }

  QAccessible::State state() const override {
    QAccessible::State state = QAccessibleWidget::state();
    state.readOnly = true;
    state.multiLine = true;
    state.selectableText = true;
    return state;
  }

  QString text(QAccessible::Text kind) const override {
    // The value is the text, reached through the text interface by range.
    if (kind == QAccessible::Value) return QString();
    return QAccessibleWidget::text(kind);
  }

  void selection(int index, int* start, int* end) const override {
    *start = *end = 0;
    if (index != 0 || selectionCount() == 0) return;
    *start = Offset(Area()->SelectionStart());
    *end = Offset(Area()->SelectionEnd());
  }
  int selectionCount() const override { return Area()->SelectionEnd() != Area()->SelectionStart() ? 1 : 0; }
  void addSelection(int start, int end) override { setSelection(0, start, end); }
  void removeSelection(int) override { Area()->SetSelection(Area()->caret, Area()->caret); }
  void setSelection(int, int start, int end) override { Area()->SetSelection(Position(start), Position(end)); }

  int cursorPosition() const override { return Offset(std::clamp(Area()->caret, Begin(), End())); }
  void setCursorPosition(int position) override { Area()->SetSelection(Position(position), Position(position)); }

  QString text(int start, int end) const override { return Area()->TextOf(Position(start), Position(end)); }
  int characterCount() const override { return int(Area()->document.EndUnits() - Area()->AccessibleBaseUnits()); }

  QString textAtOffset(int offset, QAccessible::TextBoundaryType type, int* start, int* end) const override;
  QString textBeforeOffset(int offset, QAccessible::TextBoundaryType type, int* start, int* end) const override {
    int atStart = 0, atEnd = 0;
    textAtOffset(offset, type, &atStart, &atEnd);
    if (atStart == 0) {
      *start = *end = 0;
      return QString();
    }
    return textAtOffset(atStart - 1, type, start, end);
  }
  QString textAfterOffset(int offset, QAccessible::TextBoundaryType type, int* start, int* end) const override {
    int atStart = 0, atEnd = 0;
    textAtOffset(offset, type, &atStart, &atEnd);
    if (atEnd >= characterCount()) {
      *start = *end = characterCount();
      return QString();
    }
    return textAtOffset(std::max(atEnd, offset + 1), type, start, end);
  }

  QRect characterRect(int offset) const override {
    const QRect rect = Area()->CharacterRect(Position(offset));
    if (rect.isNull()) return rect;
    return QRect(Area()->viewport()->mapToGlobal(rect.topLeft()), rect.size());
  }
  int offsetAtPoint(const QPoint& point) const override {
    return Offset(Area()->PositionAt(Area()->viewport()->mapFromGlobal(point)));
  }
  void scrollToSubstring(int start, int) override { Area()->Reveal(Position(start)); }
  QString attributes(int offset, int* start, int* end) const override {
    *start = *end = offset;
    return QString();
  }

 private:
  // Offsets count UTF-16 units from the area's accessible base; positions
  // are the document's.
  LogArea* Area() const { return static_cast<LogArea*>(widget()); }
  std::uint64_t Begin() const { return Position(0); }
  std::uint64_t End() const { return Area()->document.End(); }
  int Offset(std::uint64_t position) const {
    const std::uint64_t units = Area()->document.UnitsAt(position);
    const std::uint64_t base = Area()->AccessibleBaseUnits();
    return units <= base ? 0 : int(units - base);
  }
  std::uint64_t Position(int offset) const {
    const std::uint64_t base = Area()->AccessibleBaseUnits();
    return Area()->document.PositionOfUnits(base + std::uint64_t(std::clamp(offset, 0, characterCount())));
  }
};

QString LogViewAccessible::textAtOffset(int offset, QAccessible::TextBoundaryType type, int* start, int* end) const {
  const int count = characterCount();
  offset = std::clamp(offset, 0, count);
  const std::uint64_t at = Position(offset);
  const LogDocument& document = Area()->document;
  if (type == QAccessible::NoBoundary) {
    *start = 0;
    *end = count;
  } else if (type == QAccessible::LineBoundary || type == QAccessible::ParagraphBoundary) {
    // A line with its break, as a text area gives it.
    *start = Offset(document.LineStartOf(at));
    *end = std::min(count, Offset(document.LineEndOf(at)) + 1);
  } else if (type == QAccessible::CharBoundary) {
    *start = offset;
    *end = std::min(count, offset + 1);
  } else {
    const int from = std::max(Offset(document.LineStartOf(at)), offset - kReach);
    const int to = std::min(Offset(document.LineEndOf(at)), offset + kReach);
    const QString window = text(from, to);
    QTextBoundaryFinder finder(
        type == QAccessible::WordBoundary ? QTextBoundaryFinder::Word : QTextBoundaryFinder::Sentence, window);
    finder.setPosition(offset - from);
    if (!finder.isAtBoundary()) finder.toPreviousBoundary();
    *start = from + std::max<qsizetype>(0, finder.position());
    const qsizetype next = finder.toNextBoundary();
    *end = next < 0 ? to : from + int(next);
  }
  return text(*start, *end);
}

}  // namespace

QAccessibleInterface* NewLogViewAccessible(LogArea* area) { return new LogViewAccessible(area); }
