// The memo: CR LF text, its ANSI length, its lines, and scrolling by
// message.
#include <gtest/gtest.h>

#include "string_printer.h"

#include <QAccessible>
#include <QApplication>
#include <QClipboard>
#include <QCoreApplication>
#include <QImage>
#include <QKeyEvent>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTest>
#include <string>

#include "control_data.h"
#include "toolkit/forms.h"
#include "toolkit/std_controls.h"
#include "toolkit/testing.h"

namespace {

class MemoTest : public testing::Test {
 protected:
  MemoTest() : form(nullptr), memo(new TMemo(&form)) {
    memo->Parent = &form;
    memo->SetBounds(10, 10, 300, 125);
    form.ClientWidth = 400;
    form.ClientHeight = 200;
  }
  QPlainTextEdit* Editor() { return ControlAccess::WidgetAs<QPlainTextEdit>(memo); }
  // Shows the form with the memo holding `count` lines "line 0" onwards.
  void ShowWithNumberedLines(int count) {
    form.Show();
    String text;
    for (int i = 0; i < count; ++i) text += "line " + IntToStr(i) + "\r\n";
    memo->Text = text;
    ProcessMessagesFor(20);
  }

  TForm form;
  TMemo* memo;
};

TEST_F(MemoTest, TextSetterTurnsEveryLoneCrOrLfIntoCrLf) {
  memo->Text = "a\rb\nc\r\nd\n\re";
  EXPECT_EQ(memo->Text.Get(), String("a\r\nb\r\nc\r\nd\r\n\r\ne"));
  memo->Text = memo->Text + "AB\r\n";
  memo->Text = memo->Text + "x\n";
  EXPECT_EQ(memo->Text.Get(), String("a\r\nb\r\nc\r\nd\r\n\r\neAB\r\nx\r\n"));
  // Other characters pass unchanged, the non-breaking space included.
  memo->Text =
      "1\t2\xC2\xA0"
      "3";
  EXPECT_EQ(memo->Text.Get(), String("1\t2\xC2\xA0"
                                     "3"));
}

TEST_F(MemoTest, AnsiLengthCountsChineseAndLineBreaksAsTwoBytes) {
  memo->Text = "中文\nab";
  EXPECT_EQ(AnsiString(memo->Text).Length(), 4 + 2 + 2);
  std::string line(4094, 'x');
  memo->Text = String(line + "\r\n");
  EXPECT_EQ(AnsiString(memo->Text).Length(), 4096);
  memo->Text = memo->Text + "y";
  EXPECT_EQ(AnsiString(memo->Text).Length(), 4097);
}

TEST_F(MemoTest, LinesFollowTheClassicMemo) {
  EXPECT_EQ(memo->Lines->Count, 0);
  memo->Lines->Add("one");
  EXPECT_EQ(memo->Text.Get(), String("one\r\n"));
  memo->Lines->Add("two");
  EXPECT_EQ(memo->Lines->Count, 2);
  EXPECT_EQ(memo->Lines->Strings[1], String("two"));
  memo->Text = "a\r\nb";
  memo->Lines->Add("c");
  EXPECT_EQ(memo->Text.Get(), String("a\r\nb\r\nc"));
  memo->Lines->Delete(1);
  EXPECT_EQ(memo->Text.Get(), String("a\r\nc"));
  memo->Lines->Delete(1);
  EXPECT_EQ(memo->Text.Get(), String("a"));
  EXPECT_THROW(String(memo->Lines->Strings[5]), EStringListError);

  memo->Lines->BeginUpdate();
  memo->Lines->Clear();
  memo->Text = memo->Text + "new";
  memo->Lines->EndUpdate();
  EXPECT_EQ(memo->Text.Get(), String("new"));
  EXPECT_TRUE(ControlAccess::Widget(memo)->updatesEnabled());
}

TEST_F(MemoTest, SelectionPositionsCountLineBreaksAsTwo) {
  memo->Text = "ab\r\n中d";
  memo->SelStart = memo->Text.Length();
  EXPECT_EQ(memo->SelStart, 6);
  // Position 4 is after "ab" and its CR LF: before 中 in the editor, whose
  // line break is one character.
  memo->SelStart = 4;
  QTextCursor cursor = Editor()->textCursor();
  cursor.movePosition(QTextCursor::End, QTextCursor::KeepAnchor);
  EXPECT_EQ(cursor.selectedText(), QString::fromUtf8("中d"));

  // Set where the caret already is, it still drops a selection.
  Editor()->setTextCursor(cursor);
  memo->SelStart = 6;
  EXPECT_FALSE(Editor()->textCursor().hasSelection());
  EXPECT_EQ(memo->SelStart, 6);
}

TEST_F(MemoTest, TabAndShiftTabMoveFocusOnAlongTheTabOrder) {
  auto* before = new TEdit(&form);
  before->Parent = &form;
  before->TabOrder = 0;
  memo->TabOrder = 1;
  auto* after = new TEdit(&form);
  after->Parent = &form;
  after->TabOrder = 2;
  ShowWithNumberedLines(1);
  QApplication::setActiveWindow(Editor()->window());
  Editor()->setFocus(Qt::TabFocusReason);
  ASSERT_TRUE(ProcessMessagesUntil([&] { return QApplication::focusWidget() == Editor(); }, 5000));
  const String text = memo->Text;

  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
  EXPECT_EQ(QApplication::focusWidget(), ControlAccess::Widget(after));
  Editor()->setFocus(Qt::TabFocusReason);
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab, Qt::ShiftModifier);
  EXPECT_EQ(QApplication::focusWidget(), ControlAccess::Widget(before));
  EXPECT_EQ(memo->Text.Get(), text) << "neither key is typed into the text";
}

TEST_F(MemoTest, PageDownMessageScrollsOnePageAndScrollCaretShowsTheCaret) {
  ShowWithNumberedLines(200);
  QScrollBar* bar = Editor()->verticalScrollBar();
  ASSERT_EQ(bar->value(), 0);
  ASSERT_GT(bar->maximum(), 0);

  SendMessageA(memo->Handle, WM_KEYDOWN, VK_NEXT, 1);
  int onePage = bar->value();
  EXPECT_GT(onePage, 0);
  EXPECT_LT(onePage, bar->maximum());
  EXPECT_NEAR(onePage, bar->pageStep(), 2);
  // The repeat count in the low word of lParam pages that many times.
  SendMessageA(memo->Handle, WM_KEYDOWN, VK_NEXT, 2);
  EXPECT_NEAR(bar->value(), 3 * onePage, 3);
  SendMessageA(memo->Handle, WM_KEYDOWN, VK_PRIOR, 3);
  EXPECT_EQ(bar->value(), 0);

  memo->SelStart = memo->Text.Length();
  EXPECT_EQ(SendMessageA(memo->Handle, EM_SCROLLCARET, 0, 0), 1);
  EXPECT_EQ(bar->value(), bar->maximum());
}

TEST_F(MemoTest, PageDownFromTheEndOfALongLineEndsWhereThePressedKeyDoes) {
  form.Show();
  std::string line;
  for (int i = 0; i < 5000; ++i) line += static_cast<char>('!' + i % 94);
  memo->Text = line.c_str();
  memo->SelStart = memo->Text.Length();
  QScrollBar* bar = Editor()->verticalScrollBar();
  ASSERT_GT(bar->maximum(), 5);
  for (int shortOfEnd : {0, 1, 2, 5}) {
    SCOPED_TRACE("lines short of the end: " + std::to_string(shortOfEnd));
    Editor()->moveCursor(QTextCursor::End);
    bar->setValue(bar->maximum() - shortOfEnd);
    QKeyEvent press(QEvent::KeyPress, Qt::Key_PageDown, Qt::NoModifier);
    QCoreApplication::sendEvent(Editor(), &press);
    const int pressedValue = bar->value();
    const int pressedCaret = Editor()->textCursor().position();

    Editor()->moveCursor(QTextCursor::End);
    bar->setValue(bar->maximum() - shortOfEnd);
    SendMessageA(memo->Handle, WM_KEYDOWN, VK_NEXT, 1);
    EXPECT_EQ(bar->value(), pressedValue);
    EXPECT_EQ(Editor()->textCursor().position(), pressedCaret);
    EXPECT_FALSE(Editor()->textCursor().hasSelection());
  }
}

TEST_F(MemoTest, ATallScrollBarLooksAsTheApplicationsStyleDrawsIt) {
  // Tall enough that its groove is drawn in several strips.
  memo->SetBounds(10, 10, 300, 190);
  memo->ScrollBars = ssVertical;
  ShowWithNumberedLines(200);
  QScrollBar* bar = Editor()->verticalScrollBar();
  ASSERT_GT(bar->height(), 150);
  for (int value : {0, bar->maximum() / 3, bar->maximum()}) {
    SCOPED_TRACE("value " + std::to_string(value));
    bar->setValue(value);
    const QImage inStrips = bar->grab().toImage();
    QStyle* own = bar->style();
    bar->setStyle(QApplication::style());
    const QImage whole = bar->grab().toImage();
    bar->setStyle(own);
    EXPECT_TRUE(inStrips == whole);
  }
}

TEST_F(MemoTest, TextAppendedInPiecesIsDrawnAsTheSameTextSetWhole) {
  TMemo* whole = new TMemo(&form);
  whole->Parent = &form;
  whole->SetBounds(10, 140, 300, 125);
  memo->ScrollBars = ssVertical;
  whole->ScrollBars = ssVertical;
  form.ClientHeight = 280;
  form.Show();
  std::string line;
  for (int i = 0; i < 3000; ++i) line += static_cast<char>('!' + i % 94);
  std::string shown;
  for (size_t piece = 0; piece < line.size(); piece += 700) {
    const std::string next = line.substr(piece, 700) + (piece == 1400 ? "\r\n" : "");
    memo->Append(next.c_str());
    shown += next;
    memo->SelStart = memo->Text.Length();
    SendMessageA(memo->Handle, EM_SCROLLCARET, 0, 0);
    ProcessMessagesFor(5);
  }
  whole->Text = shown.c_str();
  whole->SelStart = whole->Text.Length();
  SendMessageA(whole->Handle, EM_SCROLLCARET, 0, 0);
  ProcessMessagesFor(20);
  QPlainTextEdit* wholeEditor = ControlAccess::WidgetAs<QPlainTextEdit>(whole);
  // The text alone: the caret of the memo with the focus left out.
  Editor()->setCursorWidth(0);
  wholeEditor->setCursorWidth(0);
  ASSERT_EQ(Editor()->verticalScrollBar()->value(), wholeEditor->verticalScrollBar()->value());
  EXPECT_TRUE(Editor()->grab().toImage() == wholeEditor->grab().toImage());
}

TEST_F(MemoTest, ReplaceLeavesOnlyTheNewTextAndNothingToUndo) {
  memo->Text = "old\r\ntext";
  memo->Append(u"more\r\n");
  QTextEdit::ExtraSelection mark;
  mark.cursor = QTextCursor(Editor()->document());
  mark.cursor.setPosition(1);
  mark.cursor.setPosition(3, QTextCursor::KeepAnchor);
  Editor()->setExtraSelections({mark});

  memo->Replace(u"new\r\nlines\rend\n");
  EXPECT_EQ(memo->Text.Get(), String("new\r\nlines\r\nend\r\n"));
  EXPECT_EQ(memo->Lines->Count, 3);
  EXPECT_TRUE(Editor()->extraSelections().isEmpty());
  // As after Clear: the old text cannot be brought back, and later edits
  // are recorded again.
  EXPECT_FALSE(Editor()->document()->isUndoAvailable());
  EXPECT_TRUE(Editor()->document()->isUndoRedoEnabled());
  memo->Append(u"x");
  EXPECT_EQ(memo->Text.Get(), String("new\r\nlines\r\nend\r\nx"));
  memo->Replace(u"");
  EXPECT_EQ(memo->Text.Get(), String(""));
}

TEST_F(MemoTest, ReadOnlyTextTakesNoChangeFromTheUserYetSelectsCopiesAndTabsOn) {
  auto* after = new TEdit(&form);
  after->Parent = &form;
  memo->TabOrder = 0;
  after->TabOrder = 1;
  memo->ReadOnly = true;
  ShowWithNumberedLines(3);
  memo->Append(u"436001\r\n438000\r\n");  // what the program adds is kept
  const String text = memo->Text;
  QApplication::setActiveWindow(Editor()->window());
  Editor()->setFocus(Qt::TabFocusReason);
  ASSERT_TRUE(ProcessMessagesUntil([&] { return QApplication::focusWidget() == Editor(); }, 5000));
  EXPECT_EQ(Editor()->focusPolicy() & Qt::TabFocus, Qt::TabFocus);

  QApplication::clipboard()->setText("PASTED");
  QTest::keyClicks(Editor(), "HELLO");
  QTest::keyClick(Editor(), Qt::Key_Return);
  QTest::keyClick(Editor(), Qt::Key_V, Qt::ControlModifier);
  QTest::keyClick(Editor(), Qt::Key_Home, Qt::ControlModifier);
  QTest::keyClick(Editor(), Qt::Key_Right, Qt::ShiftModifier);
  QTest::keyClick(Editor(), Qt::Key_Right, Qt::ShiftModifier);
  EXPECT_EQ(Editor()->textCursor().selectedText(), QString("li")) << "the keyboard still selects";
  QTest::keyClick(Editor(), Qt::Key_C, Qt::ControlModifier);
  EXPECT_EQ(QApplication::clipboard()->text(), QString("li")) << "and copies";
  QTest::keyClick(Editor(), Qt::Key_X, Qt::ControlModifier);
  QTest::keyClick(Editor(), Qt::Key_Delete);
  QTest::keyClick(Editor(), Qt::Key_Backspace);
  QTest::keyClick(Editor(), Qt::Key_End, Qt::ControlModifier);
  for (int i = 0; i < 2; ++i) QTest::keyClick(Editor(), Qt::Key_Z, Qt::ControlModifier);
  QTest::keyClick(Editor(), Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
  Editor()->undo();
  EXPECT_EQ(memo->Text.Get(), text);

  // Nor through what a screen reader may do with an editable text.
  QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(Editor());
  ASSERT_NE(accessible, nullptr);
  EXPECT_TRUE(accessible->state().readOnly);
  if (QAccessibleEditableTextInterface* editable = accessible->editableTextInterface()) {
    editable->insertText(0, "HELLO");
    editable->deleteText(0, 4);
    editable->replaceText(0, 4, "xx");
  }
  EXPECT_EQ(memo->Text.Get(), text);
  ASSERT_NE(accessible->textInterface(), nullptr);
  EXPECT_EQ(accessible->textInterface()->text(0, 6), QString("line 0"));

  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
  EXPECT_EQ(QApplication::focusWidget(), ControlAccess::Widget(after));
  // Turned off, the text can be typed into again.
  memo->ReadOnly = false;
  Editor()->setFocus();
  QTest::keyClicks(Editor(), "ok");
  EXPECT_NE(memo->Text.Get(), text);
}

}  // namespace
