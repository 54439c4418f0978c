// The find box: searching as typed, its keys, and what it says.
#include <gtest/gtest.h>

#include "string_printer.h"

#include <QCheckBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QTest>

#include <algorithm>
#include <string>

#include "control_data.h"
#include "toolkit/find_box.h"
#include "toolkit/forms.h"
#include "toolkit/testing.h"

namespace {

class FindBoxTest : public testing::Test {
 protected:
  FindBoxTest() : form(nullptr), view(new TLogView(&form)), box(new TFindBox(&form)) {
    view->Parent = &form;
    view->SetBounds(10, 10, 380, 150);
    form.ClientWidth = 400;
    form.ClientHeight = 200;
    form.Show();
    std::string text;
    for (int i = 0; i < 300; ++i) text += "line " + std::to_string(i) + "\n";
    view->Append(String(text));
    box->OnClose = [this](TObject*) { ++closed; };
  }
  QLineEdit* Edit() { return ControlAccess::Widget(box)->findChild<QLineEdit*>(); }

  TForm form;
  TLogView* view;
  TFindBox* box;
  int closed = 0;
};

TEST_F(FindBoxTest, SearchesAsTypedAndItsKeysStepThroughTheMatches) {
  box->ShowFor(view);
  ProcessMessagesFor(20);
  ASSERT_NE(Edit(), nullptr);
  QTest::keyClicks(Edit(), "line 29");
  EXPECT_EQ(box->Text.Get(), String("line 29"));
  EXPECT_EQ(view->MatchCount(), 11);  // 29, 290-299
  const int first = view->SelStart();
  QTest::keyClick(Edit(), Qt::Key_Return);
  EXPECT_GT(view->SelStart(), first);
  QTest::keyClick(Edit(), Qt::Key_Return, Qt::ShiftModifier);
  EXPECT_EQ(view->SelStart(), first);
  // Typing starts at the top of what is shown (the newest lines here);
  // going back from the first match wraps round to the last.
  const int at = view->CurrentMatch();
  ASSERT_GE(at, 1);
  for (int i = 0; i < at; ++i) QTest::keyClick(Edit(), Qt::Key_F3, Qt::ShiftModifier);
  EXPECT_EQ(box->Status(), String("第 11 个，共 11 个"));
  QTest::keyClick(Edit(), Qt::Key_F3);
  EXPECT_EQ(box->Status(), String("第 1 个，共 11 个"));
  QTest::keyClick(Edit(), Qt::Key_Escape);
  EXPECT_EQ(closed, 1);
  EXPECT_FALSE(box->Visible.Get());
  EXPECT_EQ(view->MatchCount(), 0);  // the marks go with the box
}

TEST_F(FindBoxTest, SaysWhenNothingMatchesOrTheTextIsNotValid) {
  box->ShowFor(view);
  box->Text = "absent";
  EXPECT_EQ(box->Status(), String("无匹配"));
  box->Regex = true;
  box->Text = "line [";
  EXPECT_EQ(box->Status(), String("表达式无效"));
  box->Hex = true;
  box->Text = "6c69 6e";  // hex of what is shown, not of the shown text's bytes
  EXPECT_EQ(box->Status(), String("无匹配"));
  box->Text = "x";
  EXPECT_EQ(box->Status(), String("不是十六进制字节"));
  box->Text = "";
  EXPECT_EQ(box->Status(), String());
}

TEST_F(FindBoxTest, ALongStatusNeverCutsTheChoicesBesideIt) {
  std::string text;
  for (int i = 0; i < 3000; ++i) text += "wifi " + std::to_string(i) + "\n";
  view->Append(String(text));
  view->SetBounds(10, 10, 680, 150);
  box->ShowFor(view);
  QTest::keyClicks(Edit(), "wifi");
  box->FindNext();
  ProcessMessagesFor(20);
  ASSERT_NE(box->Status().Utf8().find("个，共 3000 个"), std::string::npos);
  QWidget* widget = ControlAccess::Widget(box);
  for (QCheckBox* choice : widget->findChildren<QCheckBox*>())
    EXPECT_GE(choice->width(), choice->sizeHint().width()) << choice->text().toStdString();
  QLabel* status = widget->findChild<QLabel*>();
  ASSERT_NE(status, nullptr);
  EXPECT_GE(status->width(), status->sizeHint().width());
  box->Close();
}

// An expression that backtracking engines take minutes over never holds
// the window: with 50,000 lines of forty a's and "!" kept, (a+)+$ typed a
// key at a time is answered key by key (the count runs on its own thread,
// in linear time), and the box says there is no match.
TEST_F(FindBoxTest, AnExpressionThatBacktracksForeverNeverHoldsTheWindow) {
  std::string lines;
  for (int i = 0; i < 50000; ++i) lines += std::string(40, 'a') + "!\n";
  view->Clear();
  view->Append(String(lines));
  box->ShowFor(view);
  box->Regex = true;
  QElapsedTimer clock;
  clock.start();
  qint64 longest = 0;
  for (const char key : std::string("(a+)+$")) {
    const qint64 before = clock.elapsed();
    QTest::keyClicks(Edit(), QString(QChar(key)));
    ProcessMessagesFor(1);
    longest = std::max(longest, clock.elapsed() - before);
  }
  EXPECT_EQ(box->Text.Get(), String("(a+)+$"));
  ASSERT_TRUE(ProcessMessagesUntil([&] { return !view->FindCounting(); }, 60000));
  ProcessMessagesFor(150);  // the box hears the count's end
  EXPECT_EQ(box->Status(), String("无匹配"));
  // A key is answered in milliseconds; the bound leaves room for a busy
  // machine and a sanitizer (the figure is in app_bench).
  EXPECT_LT(longest, 2000);
  // The same text's lines all end in "a!": found in each, counted whole.
  box->Text = "a!$";
  ASSERT_TRUE(ProcessMessagesUntil([&] { return !view->FindCounting(); }, 60000));
  ProcessMessagesFor(150);
  EXPECT_EQ(view->MatchCount(), 50000);
  EXPECT_NE(box->Status().Utf8().find("共 50000 个"), std::string::npos) << box->Status().Utf8();
}

}  // namespace
