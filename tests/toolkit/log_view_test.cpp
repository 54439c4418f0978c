// The log view: what it keeps and lets go, where it stays while text comes,
// what it draws, find, and what assistive technology reads of it.
#include <gtest/gtest.h>

#include "string_printer.h"

#include <QAccessible>
#include <QApplication>
#include <QClipboard>
#include <QImage>
#include <QScrollBar>
#include <string>

#include "control_data.h"
#include "log_area.h"
#include "toolkit/forms.h"
#include "toolkit/log_view.h"
#include "toolkit/testing.h"

namespace {

std::string Numbered(int from, int to) {
  std::string text;
  for (int i = from; i < to; ++i) text += "line " + std::to_string(i) + "\n";
  return text;
}

class LogViewTest : public testing::Test {
 protected:
  LogViewTest() : form(nullptr), view(new TLogView(&form)) {
    view->Parent = &form;
    view->SetBounds(10, 10, 300, 125);
    form.ClientWidth = 400;
    form.ClientHeight = 200;
  }
  LogArea* Area() { return ControlAccess::WidgetAs<LogArea>(view); }
  void Show() {
    form.Show();
    ProcessMessagesFor(20);
  }
  // The text of the line at the top of the view.
  String TopLine() {
    const String all = view->Text();
    const std::string& text = all.Utf8();
    const QString q = QString::fromStdString(text);
    const int top = view->TopPosition();
    return String(q.mid(top, q.indexOf('\n', top) - top).toStdString());
  }

  TForm form;
  TLogView* view;
};

TEST_F(LogViewTest, KeepsWholeSessionUntilLimitThenDropsOldestLinesAndSaysSo) {
  Show();
  view->Append(String(Numbered(0, 1000)));
  EXPECT_EQ(view->Text(), String(Numbered(0, 1000)));
  EXPECT_EQ(view->DroppedBytes(), 0u);
  view->Limit = 2000;
  EXPECT_LE(view->KeptBytes(), 2000u);
  EXPECT_EQ(view->KeptBytes() + view->DroppedBytes(), Numbered(0, 1000).size());
  // What is kept is whole lines, the newest ones.
  const std::string kept = view->Text().Utf8();
  EXPECT_EQ(kept.rfind("line ", 0), 0u);
  EXPECT_EQ(kept.substr(kept.size() - 9), "line 999\n");
  view->Clear();
  EXPECT_EQ(view->KeptBytes(), 0u);
  EXPECT_EQ(view->DroppedBytes(), 0u);
}

TEST_F(LogViewTest, FollowsNewTextAtBottomAndStaysPutWhenScrolledUp) {
  Show();
  view->Append(String(Numbered(0, 200)));
  ProcessMessagesFor(10);
  EXPECT_TRUE(view->AtBottom());
  EXPECT_NE(TopLine(), String("line 0"));
  view->Append(String(Numbered(200, 400)));
  ProcessMessagesFor(10);
  EXPECT_TRUE(view->AtBottom());
  EXPECT_EQ(view->Text().Utf8().substr(view->TopPosition(), 6), "line 3");

  // Scrolled up, new text and old text dropped do not move what is shown.
  view->ScrollToPosition(int(Numbered(0, 300).size()));
  const String top = TopLine();
  EXPECT_FALSE(view->AtBottom());
  view->Limit = 4000;
  view->Append(String(Numbered(400, 600)));
  ProcessMessagesFor(10);
  EXPECT_GT(view->DroppedBytes(), 0u);
  EXPECT_EQ(TopLine(), top);
  EXPECT_FALSE(view->AtBottom());
  // Back at the bottom, it follows again.
  view->ScrollToBottom();
  view->Append(String(Numbered(600, 700)));
  ProcessMessagesFor(10);
  EXPECT_TRUE(view->AtBottom());
  EXPECT_EQ(view->Text().Utf8().substr(view->TopPosition(), 6), "line 6");
}

TEST_F(LogViewTest, DrawsNewestLineAtBottomInItsStyle) {
  Show();
  view->Append(String(Numbered(0, 100)));
  TTextStyle red;
  red.Back = clRed;
  view->Append(String("XXXXXXXXXXXXXXXXXXXX"), red);
  ProcessMessagesFor(20);
  const QImage image = Area()->viewport()->grab().toImage();
  int redAtBottom = 0;
  for (int y = image.height() - 20; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x)
      if (image.pixelColor(x, y) == QColor(Qt::red)) ++redAtBottom;
  EXPECT_GT(redAtBottom, 50);
  int redElsewhere = 0;
  for (int y = 0; y < image.height() - 24; ++y)
    for (int x = 0; x < image.width(); ++x)
      if (image.pixelColor(x, y) == QColor(Qt::red)) ++redElsewhere;
  EXPECT_EQ(redElsewhere, 0);
}

TEST_F(LogViewTest, SelectionAndCopyReachEverythingKept) {
  Show();
  view->Append(String(Numbered(0, 500)));
  view->SelectAll();
  EXPECT_EQ(view->SelText(), String(Numbered(0, 500)));
  view->Select(5, 3);
  EXPECT_EQ(view->SelText(), String("0\nl"));
  view->CopyToClipboard();
  EXPECT_EQ(QApplication::clipboard()->text(), QString("0\nl"));
}

TEST_F(LogViewTest, FindGoesForwardAndBackOverSessionWiderThanScreen) {
  Show();
  view->Append(String(Numbered(0, 300)));
  EXPECT_EQ(view->Find("line 2"), 111);  // 2, 20-29, 200-299
  view->Select(0, 0);
  ASSERT_TRUE(view->FindNext());
  EXPECT_EQ(view->SelStart(), int(Numbered(0, 2).size()));
  EXPECT_EQ(view->CurrentMatch(), 1);
  ASSERT_TRUE(view->FindNext(true));  // wraps to the last
  EXPECT_EQ(view->SelStart(), int(Numbered(0, 299).size()));
  EXPECT_EQ(view->CurrentMatch(), 111);
  ASSERT_TRUE(view->FindNext());  // and back to the first
  EXPECT_EQ(view->CurrentMatch(), 1);
  // The match found far down is brought into view.
  view->ScrollToTop();
  view->Select(int(Numbered(0, 150).size()), 0);
  ASSERT_TRUE(view->FindNext());
  EXPECT_EQ(view->SelText(), String("line 2"));
  EXPECT_EQ(view->SelStart(), int(Numbered(0, 200).size()));
  EXPECT_FALSE(view->AtTop());
  EXPECT_LE(view->TopPosition(), view->SelStart());
}

TEST_F(LogViewTest, FindByRegexCaseAndHexAndInTextStillToCome) {
  Show();
  view->Append(String("Error one\nerror two\nERROR three\n"));
  EXPECT_EQ(view->Find("error"), 3);
  TFindOptions options;
  options.MatchCase = true;
  EXPECT_EQ(view->Find("error", options), 1);
  options = TFindOptions();
  options.Regex = true;
  EXPECT_EQ(view->Find("^e\\w+ t", options), 2);
  EXPECT_EQ(view->Find("(", options), -1);
  // Text appended later is searched too, and counted.
  EXPECT_EQ(view->Find("error"), 3);
  view->Append(String("no ERR"));
  view->Append(String("OR here\n"));
  EXPECT_EQ(view->MatchCount(), 4);
  // Hex: byte sequences typed any way match the shown pairs only.
  view->Clear();
  view->Append(String("00000000  0D 0A 41 0D 0A  ..A..\n10D 0A1\n"));
  options = TFindOptions();
  options.Hex = true;
  EXPECT_EQ(view->Find("0d0a", options), 2);
  EXPECT_EQ(view->Find("0D 0A 41", options), 1);
  EXPECT_EQ(view->Find("0D0", options), -1);
  EXPECT_EQ(view->Find("zz", options), -1);
}

TEST_F(LogViewTest, FindAcrossWindowsOfAVeryLongLineFindsEachMatchOnce) {
  std::string line;
  for (int i = 0; i < 5000; ++i) line += "AB ";
  line += "needle";
  view->Append(String(line));
  EXPECT_EQ(view->Find("AB"), 5000);
  EXPECT_EQ(view->Find("needle"), 1);
}

TEST_F(LogViewTest, DroppedTextTakesItsMatchesAlong) {
  view->Append(String(Numbered(0, 100)));
  EXPECT_EQ(view->Find("line 1"), 11);  // 1, 10-19
  view->Limit = 500;
  EXPECT_LT(view->MatchCount(), 11);
}

// At the limit the oldest lines go while a match is selected and a find
// marks: the selection keeps its text, the count follows what is kept and
// the selected match keeps its place among the rest.
TEST_F(LogViewTest, AtTheLimitSelectionAndFindFollowWhatIsKept) {
  Show();
  view->Limit = 200000;
  view->Append(String(Numbered(0, 20000)));  // about 250 KB: the oldest went
  ASSERT_GT(view->DroppedBytes(), 0u);
  // Matches in what is kept (before a position).
  const auto plainCount = [&](const std::string& needle, std::size_t before = std::string::npos) {
    const std::string text = view->Text().Utf8();
    long long count = 0;
    for (std::size_t at = text.find(needle); at < before && at != std::string::npos; at = text.find(needle, at + 1))
      ++count;
    return count;
  };
  ASSERT_EQ(view->Find("line 1999"), plainCount("line 1999"));
  const long long at = view->Text().Utf8().find("line 19990\n");
  view->Select(at, 9);
  ASSERT_EQ(view->SelText(), String("line 1999"));
  EXPECT_EQ(view->CurrentMatch(), plainCount("line 1999", std::size_t(at)) + 1);
  view->Append(String(Numbered(20000, 22000)));
  EXPECT_EQ(view->SelText(), String("line 1999"));
  EXPECT_EQ(view->MatchCount(), plainCount("line 1999"));
  const std::size_t now = view->Text().Utf8().find("line 19990\n");
  EXPECT_EQ(view->SelStart(), (long long)now);
  EXPECT_EQ(view->CurrentMatch(), plainCount("line 1999", now) + 1);
  // Once its line goes, nothing is selected; the count goes on.
  view->Limit = 20000;
  EXPECT_EQ(view->SelText(), String());
  EXPECT_EQ(view->MatchCount(), plainCount("line 1999"));
  // When the lines before it go, it keeps its text and comes first.
  view->Limit = 0;
  view->Clear();
  view->Append(String(Numbered(0, 100)));
  view->Find("line 5");
  view->Select(int(Numbered(0, 50).size()), 6);
  view->Limit = Numbered(50, 100).size();
  EXPECT_EQ(view->SelText(), String("line 5"));
  EXPECT_EQ(view->SelStart(), 0);
  EXPECT_EQ(view->CurrentMatch(), 1);
  EXPECT_EQ(view->MatchCount(), 10);  // 50 to 59
}

TEST_F(LogViewTest, AccessibleTextIsTheWholeKeptText) {
  Show();
  view->AccessibleName = "Received";
  const std::string text = Numbered(0, 400) + "中文 end";
  view->Append(String(text));
  QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(Area());
  ASSERT_NE(accessible, nullptr);
  EXPECT_EQ(accessible->text(QAccessible::Name), QString("Received"));
  QAccessibleTextInterface* textInterface = accessible->textInterface();
  ASSERT_NE(textInterface, nullptr);
  const QString expected = QString::fromStdString(text);
  EXPECT_EQ(textInterface->characterCount(), expected.size());
  EXPECT_EQ(textInterface->text(0, textInterface->characterCount()), expected);
  EXPECT_EQ(textInterface->text(5, 10), expected.mid(5, 5));
  int start = 0, end = 0;
  EXPECT_EQ(textInterface->textAtOffset(int(Numbered(0, 7).size()) + 2, QAccessible::LineBoundary, &start, &end),
            QString("line 7\n"));
  view->Select(12, 4);
  EXPECT_EQ(textInterface->cursorPosition(), 16);
  textInterface->selection(0, &start, &end);
  EXPECT_EQ(start, 12);
  EXPECT_EQ(end, 16);
  textInterface->setCursorPosition(3);
  EXPECT_EQ(view->SelStart(), 3);
  // After the oldest lines go, offsets count from what is kept.
  view->Limit = 1000;
  EXPECT_EQ(textInterface->characterCount(), view->CharacterCount());
  EXPECT_EQ(textInterface->text(0, textInterface->characterCount()), QString::fromStdString(view->Text().Utf8()));
}

}  // namespace
