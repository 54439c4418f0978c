// The find box: searching as typed, its keys, and what it says.
#include <gtest/gtest.h>

#include "string_printer.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QTest>

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

}  // namespace
