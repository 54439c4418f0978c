// TMemo and its line list.
#include <QAccessible>
#include <QCoreApplication>
#include <QFont>
#include <QKeyEvent>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

#include "control_data.h"
#include "event_guard.h"
#include "memo_text.h"
#include "qt_text.h"
#include "strip_painted_scroll_bar.h"
#include "toolkit/std_controls.h"

namespace {

QPlainTextEdit* NewEditor() {
  auto* editor = new QPlainTextEdit;
  // A memo may hold one line of thousands of characters, laid out again at
  // every append: text of scripts that need no shaping is drawn without it,
  // which looks the same and costs a fraction.
  QFont font = editor->font();
  font.setStyleStrategy(QFont::PreferNoShaping);
  editor->setFont(font);
  // Drawn whole by itself: redrawing its text or scroll bar never redraws
  // the group box beneath.
  editor->setAutoFillBackground(true);
  editor->setLineWrapMode(QPlainTextEdit::WidgetWidth);
  // Tab and Shift+Tab move on along the tab order, so that keyboard users
  // reach the send line from a receive area.
  editor->setTabChangesFocus(true);
  editor->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  editor->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  PaintInStrips(editor->verticalScrollBar());
  return editor;
}

QString RawText(QPlainTextEdit* editor) { return editor->document()->toRawText(); }

class MemoLines : public TStrings {
 public:
  explicit MemoLines(QPlainTextEdit* editor) : editor_(editor) {}

  void Clear() override { editor_->clear(); }

  void Delete(int Index) override {
    CheckIndex(Index, GetCount());
    QTextDocument* document = editor_->document();
    QTextBlock block = document->findBlockByNumber(Index);
    QTextCursor cursor(document);
    QTextBlock next = block.next();
    if (next.isValid()) {
      cursor.setPosition(block.position());
      cursor.setPosition(next.position(), QTextCursor::KeepAnchor);
    } else {
      // The last line goes with the break before it.
      cursor.setPosition(block.position() > 0 ? block.position() - 1 : 0);
      cursor.movePosition(QTextCursor::End, QTextCursor::KeepAnchor);
    }
    cursor.removeSelectedText();
  }

  // As the classic memo does: a line inserted before an existing line (the
  // empty one after a final break included) gets its own break; a line
  // added after a last line without a break gets the break before it.
  void Insert(int Index, const String& S) override {
    CheckIndex(Index, GetCount() + 1);
    QTextDocument* document = editor_->document();
    QString line = ToWidgetText(S);
    QTextCursor cursor(document);
    if (Index < document->blockCount()) {
      cursor.setPosition(document->findBlockByNumber(Index).position());
      cursor.insertText(line + u'\n');
    } else {
      cursor.movePosition(QTextCursor::End);
      cursor.insertText(u'\n' + line);
    }
  }

 protected:
  String Get(int Index) const override {
    CheckIndex(Index, GetCount());
    return FromQString(editor_->document()->findBlockByNumber(Index).text());
  }

  int GetCount() const override {
    QTextDocument* document = editor_->document();
    int blocks = document->blockCount();
    return document->lastBlock().text().isEmpty() ? blocks - 1 : blocks;
  }

  // The text area alone: turning the frame's updates back on would redraw
  // the frame and whatever lies beneath it too.
  void SetUpdateState(bool Updating) override { editor_->viewport()->setUpdatesEnabled(!Updating); }

 private:
  QPlainTextEdit* editor_;
};

QPlainTextEdit* Editor(const TMemo* memo) { return ControlAccess::WidgetAs<QPlainTextEdit>(memo); }

// Paging down with the caret at the end and no selection leaves the caret
// there and puts the first line that does not fit wholly in view at the top:
// with the view at most a line short of the end (and more than one line in
// it), that is the end. Returns whether it was so.
bool ScrollLastLineIn(QPlainTextEdit* editor) {
  const QTextCursor cursor = editor->textCursor();
  QScrollBar* bar = editor->verticalScrollBar();
  if (cursor.hasSelection() || !cursor.atEnd() || bar->maximum() - bar->value() > 1 || bar->pageStep() < 2)
    return false;
  bar->setValue(bar->maximum());
  return true;
}

void SetReadOnly(QPlainTextEdit* editor, bool readOnly) {
  editor->setReadOnly(readOnly);
  if (readOnly) {
    // The caret still moves and selects by keyboard, as in a text the user
    // may change: a reader's user reads by moving it.
    editor->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
  }
  // What the program writes is never to be undone by the user; nor is the
  // history kept for it.
  editor->document()->setUndoRedoEnabled(!readOnly);
  // Assistive technology gets the interface that suits: made again when
  // next asked for.
  if (QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(editor))
    QAccessible::deleteAccessibleInterface(QAccessible::uniqueId(accessible));
}

}  // namespace

TMemo::TMemo(TComponent* AOwner)
    : TWinControl(AOwner, NewControlData(NewEditor, QPalette::Base, clWindow)),
      Text([this] { return FromWidgetText(RawText(Editor(this))); },
           [this](const String& value) { Editor(this)->setPlainText(ToWidgetText(value)); }),
      ReadOnly([this] { return Editor(this)->isReadOnly(); },
               [this](const bool& value) { SetReadOnly(Editor(this), value); }),
      Lines(new MemoLines(Editor(this))),
      ScrollBars(
          [this] { return Editor(this)->verticalScrollBarPolicy() == Qt::ScrollBarAlwaysOn ? ssVertical : ssNone; },
          [this](const TScrollStyle& value) {
            Editor(this)->setVerticalScrollBarPolicy(value == ssVertical ? Qt::ScrollBarAlwaysOn
                                                                         : Qt::ScrollBarAlwaysOff);
            Editor(this)->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
          }),
      SelStart(
          [this] {
            QPlainTextEdit* editor = Editor(this);
            return ToProgramPosition(RawText(editor), editor->textCursor().selectionStart());
          },
          [this](const int& value) {
            QPlainTextEdit* editor = Editor(this);
            QTextCursor cursor = editor->textCursor();
            const int position = ToWidgetPosition(RawText(editor), value);
            // Already there: setting the caret again would only measure its
            // line again.
            if (cursor.position() == position && !cursor.hasSelection()) return;
            cursor.setPosition(position);
            editor->setTextCursor(cursor);
          }) {
  ControlAccess::Data(this).colorWidget = Editor(this)->viewport();
  // A changed paragraph keeps its shaped text once laid out: drawing it and
  // placing the caret in it then measure nothing again. Without this, each
  // frame of a fast line shapes a long line three times instead of once.
  QTextDocument* document = Editor(this)->document();
  QObject::connect(document, &QTextDocument::contentsChange, [document](int position, int, int added) {
    for (QTextBlock block = document->findBlock(position); block.isValid() && block.position() <= position + added;
         block = block.next())
      block.layout()->setCacheEnabled(true);
  });
  QObject::connect(Editor(this), &QPlainTextEdit::textChanged, [this] {
    CallGuarded(this, [this] {
      if (OnChange) OnChange(this);
    });
  });
}

void TMemo::Clear() { Editor(this)->clear(); }

namespace {

// UTF-16 text where it lies, for as long as the call that reads it.
QString Borrowed(std::u16string_view text) {
  return QString::fromRawData(reinterpret_cast<const QChar*>(text.data()), static_cast<qsizetype>(text.size()));
}

void AppendToEditor(QPlainTextEdit* editor, const QString& text) {
  QTextCursor cursor(editor->document());
  // One edit: the block is laid out once, when it ends, not for each move
  // of the cursor.
  cursor.beginEditBlock();
  cursor.movePosition(QTextCursor::End);
  cursor.insertText(text);
  cursor.endEditBlock();
}

}  // namespace

void TMemo::Append(const String& Text) { AppendToEditor(Editor(this), ToWidgetText(Text)); }

void TMemo::Append(std::u16string_view Text) {
  // The cursor turns CR LF, a lone CR and a lone LF each into one line
  // break, as the Text setter does; the text is read where it lies.
  AppendToEditor(Editor(this), Borrowed(Text));
}

void TMemo::Replace(std::u16string_view Text) {
  QPlainTextEdit* editor = Editor(this);
  QTextDocument* document = editor->document();
  // Marks on the old text would point into the new one.
  editor->setExtraSelections({});
  // Turning the history off empties it; the replacement is not recorded.
  const bool undo = document->isUndoRedoEnabled();
  document->setUndoRedoEnabled(false);
  QTextCursor cursor(document);
  cursor.beginEditBlock();
  cursor.select(QTextCursor::Document);
  cursor.insertText(Borrowed(Text));
  cursor.endEditBlock();
  document->setUndoRedoEnabled(undo);
}

void TMemo::Dispatch(TMessage& Message) {
  if (Message.Msg == WM_KEYDOWN && (Message.WParam == VK_NEXT || Message.WParam == VK_PRIOR)) {
    // The key as if pressed: the caret and the view move one page.
    int repeat = std::max(1, static_cast<int>(LOWORD(Message.LParam)));
    Qt::Key key = Message.WParam == VK_NEXT ? Qt::Key_PageDown : Qt::Key_PageUp;
    // A memo that follows a fast line is sent this every frame, with the
    // caret at the end and the view at most a line short of it: the page
    // down only brings the last line in, as done here without a key press.
    if (key == Qt::Key_PageDown && ScrollLastLineIn(Editor(this))) repeat = 0;
    for (int i = 0; i < repeat; ++i) {
      QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
      QCoreApplication::sendEvent(Editor(this), &press);
    }
    Message.Result = 0;
    return;
  }
  if (Message.Msg == EM_SCROLLCARET) {
    Editor(this)->ensureCursorVisible();
    Message.Result = 1;
    return;
  }
  TWinControl::Dispatch(Message);
}

TMemo::~TMemo() { delete Lines; }
