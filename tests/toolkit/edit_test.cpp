// The edit's limit in ANSI bytes, for typing and for pasting.
#include <gtest/gtest.h>

#include "string_printer.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTest>

#include <utility>
#include <vector>

#include "control_data.h"
#include "toolkit/forms.h"
#include "toolkit/std_controls.h"

namespace {

class EditTest : public testing::Test {
 protected:
  EditTest() : form(nullptr), edit(new TEdit(&form)) {
    edit->Parent = &form;
    edit->MaxLength = 128;
    form.Show();
  }
  QLineEdit* Line() { return ControlAccess::WidgetAs<QLineEdit>(edit); }
  // Types each character as a key press carrying its text, as an input
  // method delivers Chinese characters.
  void Type(const char* utf8) {
    for (QChar c : QString::fromUtf8(utf8)) {
      QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(c));
      QCoreApplication::sendEvent(Line(), &press);
    }
  }
  int AnsiBytes() { return AnsiString(edit->Text).Length(); }

  TForm form;
  TEdit* edit;
};

TEST_F(EditTest, TypingStopsAtTheLimitWithChineseTakingTwoBytes) {
  edit->Text = String(std::string(125, '1'));
  Line()->end(false);
  Type("中a文b");
  // 125 + 2 (中) + 1 (a) fit; 文 would need two more bytes than remain.
  EXPECT_EQ(edit->Text.Get(), String(std::string(125, '1') + "中a"));
  EXPECT_EQ(AnsiBytes(), 128);

  edit->Text = String(std::string(127, '1'));
  Line()->end(false);
  Type("中");
  EXPECT_EQ(AnsiBytes(), 127);
  Type("x");
  EXPECT_EQ(AnsiBytes(), 128);
}

TEST_F(EditTest, APasteIsCutAtTheLimitKeepingItsBeginning) {
  edit->Text = "ab";
  Line()->setCursorPosition(1);
  QString paste = QString::fromUtf8("中文中文").repeated(20);  // 160 bytes
  Line()->insert(paste);
  String text = edit->Text;
  EXPECT_EQ(AnsiBytes(), 128);
  EXPECT_EQ(text.SubString(1, 1), String("a"));
  EXPECT_EQ(text.SubString(2, 4), String("中文中文"));
  EXPECT_EQ(text.SubString(text.Length(), 1), String("b"));

  // A paste replacing a selection may use the selection's room.
  Line()->selectAll();
  Line()->insert(paste);
  EXPECT_EQ(AnsiBytes(), 128);
  EXPECT_EQ(edit->Text.Length(), 64);
}

TEST_F(EditTest, TheProgramMaySetLongerTextButTheUserCannotGrowIt) {
  String longText(std::string(140, '7'));
  edit->Text = longText;
  EXPECT_EQ(edit->Text.Get(), longText);
  Line()->end(false);
  Type("8");
  EXPECT_EQ(edit->Text.Get(), longText);
  QTest::keyClick(Line(), Qt::Key_Backspace);
  EXPECT_EQ(AnsiBytes(), 139);

  edit->MaxLength = 0;  // no limit
  Type("888");
  EXPECT_EQ(AnsiBytes(), 142);
}

}  // namespace

namespace {

TEST_F(EditTest, KeysReachOnKeyDownFirstAndAKeyItTakesNeverReachesTheEdit) {
  using Seen = std::pair<unsigned short, TShiftState>;
  std::vector<Seen> seen;
  edit->OnKeyDown = [&](TObject* sender, unsigned short& key, TShiftState shift) {
    EXPECT_EQ(sender, edit);
    seen.emplace_back(key, shift);
    if (key == 0x0D || key == 0x26) key = 0;  // Enter and Up are taken
  };
  edit->Text = "ab";
  Line()->end(false);
  QTest::keyClick(Line(), Qt::Key_Return);
  QTest::keyClick(Line(), Qt::Key_Up, Qt::ShiftModifier);
  QTest::keyClick(Line(), Qt::Key_F5, Qt::ControlModifier | Qt::AltModifier);
  QTest::keyClick(Line(), Qt::Key_Left);
  QTest::keyClick(Line(), Qt::Key_X);
  ASSERT_EQ(seen.size(), 5u);
  EXPECT_EQ(seen[0], Seen(0x0D, 0));
  EXPECT_EQ(seen[1], Seen(0x26, ssShift));
  EXPECT_EQ(seen[2], Seen(0x74, ssCtrl | ssAlt));
  EXPECT_EQ(seen[3].first, 0x25);
  // Left still moved the caret: the x went before the b.
  EXPECT_EQ(edit->Text.Get(), String("axb"));
}

TEST_F(EditTest, TheToolTipShowsTheHintAndTheControlsKey) {
  edit->Hint = "Send";
  edit->ShowHint = true;
  EXPECT_EQ(Line()->toolTip(), QString("Send"));
  edit->HintShortCut = scCtrl | 'S';
  EXPECT_EQ(Line()->toolTip(), QString("Send (Ctrl+S)"));
  EXPECT_EQ(edit->Hint.Get(), String("Send")) << "the hint itself stays";
  edit->ShowHint = false;
  EXPECT_EQ(Line()->toolTip(), QString());
}

}  // namespace
