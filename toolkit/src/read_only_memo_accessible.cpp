#include "read_only_memo_accessible.h"

#include <QAccessibleWidget>
#include <QPlainTextEdit>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

#include <algorithm>

namespace {

class ReadOnlyMemoAccessible : public QAccessibleWidget, public QAccessibleTextInterface {
 public:
  explicit ReadOnlyMemoAccessible(QPlainTextEdit* editor) : QAccessibleWidget(editor, QAccessible::EditableText) {}

  void* interface_cast(QAccessible::InterfaceType type) override {
    if (type == QAccessible::TextInterface) return static_cast<QAccessibleTextInterface*>(this);
    return QAccessibleWidget::interface_cast(type);
  }

  QAccessible::State state() const override {
    QAccessible::State state = QAccessibleWidget::state();
    state.readOnly = true;
    state.editable = false;
    state.multiLine = true;
    state.selectableText = true;
    return state;
  }

  QString text(QAccessible::Text kind) const override {
    if (kind == QAccessible::Value) return Editor()->document()->toPlainText();
    return QAccessibleWidget::text(kind);
  }

  void selection(int index, int* start, int* end) const override {
    *start = *end = 0;
    const QTextCursor cursor = Editor()->textCursor();
    if (index != 0 || !cursor.hasSelection()) return;
    *start = cursor.selectionStart();
    *end = cursor.selectionEnd();
  }
  int selectionCount() const override { return Editor()->textCursor().hasSelection() ? 1 : 0; }
  void addSelection(int start, int end) override { setSelection(0, start, end); }
  void removeSelection(int) override {
    QTextCursor cursor = Editor()->textCursor();
    cursor.clearSelection();
    Editor()->setTextCursor(cursor);
  }
  void setSelection(int, int start, int end) override {
    QTextCursor cursor = Editor()->textCursor();
    cursor.setPosition(Clamp(start));
    cursor.setPosition(Clamp(end), QTextCursor::KeepAnchor);
    Editor()->setTextCursor(cursor);
  }
  int cursorPosition() const override { return Editor()->textCursor().position(); }
  void setCursorPosition(int position) override { setSelection(0, position, position); }

  QString text(int start, int end) const override {
    start = Clamp(start);
    end = std::max(start, Clamp(end));
    return Editor()->document()->toPlainText().mid(start, end - start);
  }
  int characterCount() const override { return std::max(0, Editor()->document()->characterCount() - 1); }

  QRect characterRect(int offset) const override {
    QTextCursor cursor(Editor()->document());
    cursor.setPosition(Clamp(offset));
    const QRect at = Editor()->cursorRect(cursor);
    int width = 1;
    if (!cursor.atBlockEnd()) {
      cursor.movePosition(QTextCursor::NextCharacter);
      const QRect next = Editor()->cursorRect(cursor);
      if (next.top() == at.top()) width = std::max(1, next.left() - at.left());
    }
    return QRect(Editor()->viewport()->mapToGlobal(at.topLeft()), QSize(width, at.height()));
  }
  int offsetAtPoint(const QPoint& point) const override {
    const QPoint local = Editor()->viewport()->mapFromGlobal(point);
    if (!Editor()->viewport()->rect().contains(local)) return -1;
    return Editor()->cursorForPosition(local).position();
  }
  void scrollToSubstring(int start, int) override {
    setCursorPosition(start);
    Editor()->ensureCursorVisible();
  }
  QString attributes(int offset, int* start, int* end) const override {
    *start = *end = offset;
    return QString();
  }

 private:
  QPlainTextEdit* Editor() const { return static_cast<QPlainTextEdit*>(widget()); }
  int Clamp(int offset) const { return std::clamp(offset, 0, characterCount()); }
};

}  // namespace

QAccessibleInterface* NewReadOnlyMemoAccessible(QPlainTextEdit* editor) { return new ReadOnlyMemoAccessible(editor); }
