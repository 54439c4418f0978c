// The window driven as a person would: mouse clicks, context menus and keys
// on the real widgets, with the two panels joined by a null-modem cable.
// Sending, hex, counters and clearing are driven through the accessibility
// tree instead (tests/accessibility).
#include <QAbstractScrollArea>
#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QRegularExpression>
#include <QTest>
#include <QWidget>

#include <poll.h>
#include <unistd.h>

#include <atomic>
#include <thread>

#include "MainWindowTest.h"
#include "control_data.h"

namespace {

// Joins the far ends of two ports: what one port sends arrives at the
// other, as through a null-modem cable.
class NullModem {
 public:
  NullModem(int first, int second) : thread_([this, first, second] { Relay(first, second); }) {}
  ~NullModem() {
    stop_ = true;
    thread_.join();
  }

 private:
  void Relay(int first, int second) {
    pollfd ends[] = {{first, POLLIN, 0}, {second, POLLIN, 0}};
    while (!stop_) {
      if (poll(ends, 2, 20) <= 0) continue;
      for (int i = 0; i < 2; ++i) {
        if (!(ends[i].revents & POLLIN)) continue;
        char bytes[4096];
        const ssize_t count = read(ends[i].fd, bytes, sizeof bytes);
        for (ssize_t done = 0; count > 0 && done < count && !stop_;) {
          const ssize_t written = write(ends[1 - i].fd, bytes + done, static_cast<size_t>(count - done));
          if (written > 0) done += written;
        }
      }
    }
  }

  std::atomic<bool> stop_{false};
  std::thread thread_;
};

class EndToEnd : public MainWindowTest {
 protected:
  static QWidget* WidgetOf(TControl* control) { return ControlAccess::Widget(control); }

  static void Click(TControl* control) {
    QWidget* widget = WidgetOf(control);
    QTest::mouseClick(widget, Qt::LeftButton, Qt::NoModifier, widget->rect().center());
    QApplication::processEvents();
  }

  // Replaces an edit's text by typing, as a person would.
  static void Type(TEdit* edit, const char* text) {
    QWidget* widget = WidgetOf(edit);
    widget->setFocus();
    QTest::keyClick(widget, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(widget, Qt::Key_Delete);
    // Key by key, each carrying its text, as a keyboard or an input method
    // delivers it (also for Chinese characters).
    for (const QChar character : QString::fromUtf8(text)) {
      QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(character));
      QKeyEvent release(QEvent::KeyRelease, 0, Qt::NoModifier, QString(character));
      QApplication::sendEvent(widget, &press);
      QApplication::sendEvent(widget, &release);
    }
  }

  // A right click on the control; returns the menu it shows.
  static QMenu* RightClick(TControl* control) {
    QWidget* widget = WidgetOf(control);
    if (auto* area = qobject_cast<QAbstractScrollArea*>(widget)) widget = area->viewport();
    const QPoint at = widget->rect().center();
    QContextMenuEvent event(QContextMenuEvent::Mouse, at, widget->mapToGlobal(at));
    QApplication::sendEvent(widget, &event);
    return qobject_cast<QMenu*>(QApplication::activePopupWidget());
  }
  // Chooses the entry whose text starts with caption, as a click on it does.
  static bool Choose(QMenu* menu, const char* caption) {
    if (!menu) return false;
    for (QAction* action : menu->actions())
      if (action->text().startsWith(QString::fromUtf8(caption))) {
        action->trigger();
        while (QWidget* shown = QApplication::activePopupWidget()) shown->close();
        return true;
      }
    return false;
  }
  static QMenu* Submenu(QMenu* menu, const char* caption) {
    if (menu)
      for (QAction* action : menu->actions())
        if (action->text() == QString::fromUtf8(caption)) return action->menu();
    return nullptr;
  }
  // A key pressed in the control, its window active as under a person's
  // hands (the offscreen platform does not give activation back after a
  // menu closes).
  static void Key(TControl* control, Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QApplication::setActiveWindow(WidgetOf(control)->window());
    QTest::keyClick(WidgetOf(control), key, modifiers);
    QApplication::processEvents();
  }
};

TEST_F(EndToEnd, TimeStampsALineEndingAndTheKeysThroughMenusAndKeysAndBackAfterARestart) {
  AddFarEnd(1);
  AddFarEnd(2);
  NullModem cable(FarEnd(1), FarEnd(2));
  CreateWindow();
  form->Show();
  form->Timer1->Enabled = true;
  QApplication::setActiveWindow(WidgetOf(form));
  ASSERT_TRUE(QTest::qWaitForWindowActive(WidgetOf(form)));

  // Both ports open by their keys, from the send line.
  Key(form->Edit1, Qt::Key_O, Qt::ControlModifier);
  Key(form->Edit1, Qt::Key_O, Qt::ControlModifier | Qt::ShiftModifier);
  ASSERT_EQ(form->Button1->Caption.Get(), String("关闭"));
  ASSERT_EQ(form->Button6->Caption.Get(), String("关闭"));

  // Device 2 stamps what arrives; device 1 ends its lines with CR LF.
  ASSERT_TRUE(Choose(RightClick(form->Memo2), "时间戳"));
  EXPECT_TRUE(FeatureOf<PanelTimeStamps>(1).On());
  ASSERT_TRUE(Choose(Submenu(RightClick(form->Edit1), "行尾"), "CR LF"));
  EXPECT_EQ(FeatureOf<PanelSendOptions>(0).Ending(), LineEnding::CRLF);

  // Enter sends; the line arrives stamped, with its ending.
  Type(form->Edit1, "hi");
  Key(form->Edit1, Qt::Key_Return);
  EXPECT_EQ(form->Edit1->Text.Get(), String("hi")) << "Enter sends, the text stays";
  const QRegularExpression stamped("^\\[\\d\\d:\\d\\d:\\d\\d\\.\\d\\d\\d\\] hi\\r\\n$");
  EXPECT_TRUE(ProcessMessagesUntil([&] {
    return stamped.match(QString::fromStdString(MemoText(form->Memo2))).hasMatch();
  })) << MemoText(form->Memo2);
  EXPECT_EQ(PanelSentBytes[0], 4);

  // Hex and clear by their keys.
  Key(form->Edit1, Qt::Key_H, Qt::ControlModifier);
  EXPECT_TRUE(form->RadioButton1->Checked.Get());
  EXPECT_EQ(form->Edit1->Text.Get(), String("hi")) << "the keys do not type";
  form->Memo1->Text = "old";
  Key(form->Edit1, Qt::Key_L, Qt::ControlModifier);
  EXPECT_EQ(MemoText(form->Memo1), "");

  // A new run of the window: the choices are back, and so is the history.
  Click(form->Button1);
  Click(form->Button6);
  delete form;
  form = nullptr;
  CreateWindow();
  EXPECT_TRUE(FeatureOf<PanelTimeStamps>(1).On());
  EXPECT_TRUE(FeatureOf<PanelTimeStamps>(1).Item->Checked.Get());
  EXPECT_EQ(FeatureOf<PanelSendOptions>(0).Ending(), LineEnding::CRLF);
  EXPECT_TRUE(form->RadioButton1->Checked.Get());
  form->Show();
  Type(form->Edit1, "");
  Key(form->Edit1, Qt::Key_Up);
  EXPECT_EQ(form->Edit1->Text.Get(), String("hi"));
}

TEST_F(EndToEnd, TabLeadsFromEachReceiveAreaToItsSendLineAndShiftTabBack) {
  CreateWindow();
  form->Show();
  QApplication::setActiveWindow(WidgetOf(form));
  ASSERT_TRUE(QTest::qWaitForWindowActive(WidgetOf(form)));
  for (auto [memo, edit] : {std::pair{form->Memo1, form->Edit1}, std::pair{form->Memo2, form->Edit2}}) {
    memo->Text = "received";
    WidgetOf(memo)->setFocus(Qt::TabFocusReason);
    ASSERT_TRUE(ProcessMessagesUntil([&] { return QApplication::focusWidget() == WidgetOf(memo); }, 5000));
    Key(memo, Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), WidgetOf(edit)) << "Tab goes on to the send line";
    Key(edit, Qt::Key_Backtab, Qt::ShiftModifier);
    EXPECT_EQ(QApplication::focusWidget(), WidgetOf(memo)) << "Shift+Tab comes back";
    EXPECT_EQ(WidgetText(memo), "received") << "no tab is typed into what was received";
  }
}

// What was received stays as received whatever the user types, pastes or
// undoes; and the receive area's menu has the same entries in the same
// places whichever display choices are on, so that a click learnt in one
// mode never hits another item in the next.
TEST_F(EndToEnd, ReceivedTextCannotBeChangedAndItsMenuKeepsItsPlacesInEveryDisplayMode) {
  AddFarEnd(1);
  CreateWindow();
  form->Show();
  OpenPanel(0, 1);
  Deliver(1, "438000\r\n436001\r\n");
  const std::string received = MemoText(form->Memo1);
  QWidget* memo = WidgetOf(form->Memo1);
  memo->setFocus();
  QApplication::clipboard()->setText("PASTED");
  QTest::keyClicks(memo, "HELLO");
  Key(form->Memo1, Qt::Key_Z, Qt::ControlModifier);
  Key(form->Memo1, Qt::Key_Z, Qt::ControlModifier);
  Key(form->Memo1, Qt::Key_V, Qt::ControlModifier);
  Key(form->Memo1, Qt::Key_A, Qt::ControlModifier);
  Key(form->Memo1, Qt::Key_X, Qt::ControlModifier);
  Key(form->Memo1, Qt::Key_Delete);
  EXPECT_EQ(WidgetText(form->Memo1), received);

  const auto entries = [this] {
    TControl* shown = form->Memo1->Visible.Get() ? static_cast<TControl*>(form->Memo1) : FeatureOf<PanelWholeSession>(0).View();
    std::vector<std::string> texts;
    if (QMenu* menu = RightClick(shown))
      for (QAction* action : menu->actions())
        texts.push_back(action->isSeparator() ? "-" : action->text().toStdString());
    while (QWidget* popup = QApplication::activePopupWidget()) popup->close();
    return texts;
  };
  const std::vector<std::string> plain = entries();
  ASSERT_GT(plain.size(), 10u);
  DisplayChoices choices;
  choices.Colours = true;
  FeatureOf<PanelDisplay>(0).Set(choices);
  ASSERT_FALSE(form->Memo1->Visible.Get());
  EXPECT_EQ(entries(), plain) << "with colours";
  choices = DisplayChoices();
  choices.CodePage = CP_UTF8;
  FeatureOf<PanelDisplay>(0).Set(choices);
  EXPECT_EQ(entries(), plain) << "in UTF-8";
  FeatureOf<PanelDisplay>(0).Set(DisplayChoices());
  FeatureOf<PanelWholeSession>(0).Set(true);
  EXPECT_EQ(entries(), plain) << "keeping the whole session";
}

}  // namespace
