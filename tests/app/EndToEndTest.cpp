// The window driven as a person would: mouse clicks and typing on the real
// widgets, with the two panels joined by a null-modem cable.
#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
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

  static bool MemoShows(TMemo* memo, const std::string& text) {
    return ProcessMessagesUntil([&] { return MemoText(memo) == text; });
  }
};

TEST_F(EndToEnd, TwoPanelsTalkAcrossANullModemInTextAndInHex) {
  AddFarEnd(1);
  AddFarEnd(2);
  NullModem cable(FarEnd(1), FarEnd(2));
  CreateWindow();
  form->Show();
  form->Timer1->Enabled = true;
  ASSERT_EQ(form->ComboBox1->Text.Get(), String("COM1"));
  ASSERT_EQ(form->ComboBox3->Text.Get(), String("COM2"));

  Click(form->Button1);
  Click(form->Button6);
  ASSERT_EQ(form->Button1->Caption.Get(), String("关闭"));
  ASSERT_EQ(form->Button6->Caption.Get(), String("关闭"));

  // Device 1 sends text; device 2 shows it.
  Type(form->Edit1, "hello 你好");
  Click(form->Button2);
  EXPECT_TRUE(MemoShows(form->Memo2, "hello 你好")) << MemoText(form->Memo2);

  // Device 2 sends hex; device 1 shows the text the bytes spell.
  Click(form->RadioButton2);
  ASSERT_TRUE(form->RadioButton2->Checked.Get());
  Type(form->Edit2, "48 69 0d 0a");
  Click(form->Button5);
  EXPECT_TRUE(MemoShows(form->Memo1, "Hi\r\n")) << MemoText(form->Memo1);

  // Device 1 switches to hex display; device 2's next line shows as pairs.
  Click(form->RadioButton1);
  Type(form->Edit2, "41 00 42");
  Click(form->Button5);
  EXPECT_TRUE(MemoShows(form->Memo1, "Hi\r\n41 00 42 ")) << MemoText(form->Memo1);

  // Clear empties device 1's memo only.
  Click(form->Button4);
  EXPECT_EQ(MemoText(form->Memo1), "");
  EXPECT_EQ(MemoText(form->Memo2), "hello 你好");

  EXPECT_EQ(PanelSentBytes[0], 10);  // "hello " and two GBK characters of two bytes
  EXPECT_EQ(PanelSentBytes[1], 7);
  EXPECT_TRUE(Dialogs().empty());
  Click(form->Button1);
  Click(form->Button6);
  EXPECT_TRUE(PortToPanel.empty());
}

}  // namespace
