// Modal message boxes with the classic MB_* flags, and the test answers.
#include "dialog_service.h"

#include <QApplication>
#include <QInputDialog>
#include <QMessageBox>
#include <QPushButton>

#include <deque>
#include <mutex>
#include <utility>
#include <vector>

#include "message_loop.h"
#include "toolkit/forms.h"
#include "toolkit/testing.h"

#ifndef MB_ABORTRETRYIGNORE
#define MB_ABORTRETRYIGNORE 0x00000002L
#endif
#ifndef MB_YESNOCANCEL
#define MB_YESNOCANCEL 0x00000003L
#endif
#ifndef MB_RETRYCANCEL
#define MB_RETRYCANCEL 0x00000005L
#endif
#ifndef MB_CANCELTRYCONTINUE
#define MB_CANCELTRYCONTINUE 0x00000006L
#endif

namespace {

constexpr int kIdAbort = 3;
constexpr int kIdRetry = 4;
constexpr int kIdIgnore = 5;
constexpr int kIdTryAgain = 10;
constexpr int kIdContinue = 11;

// A box's button: one of Qt's standard buttons, whose text Qt's own
// translation gives in the window's language, or a label of its own for
// the two Qt has none for.
struct ButtonSpec {
  QMessageBox::StandardButton standard;
  int id;
  const char* label = nullptr;
};

std::vector<ButtonSpec> ButtonsFor(UINT flags) {
  constexpr auto kOk = QMessageBox::Ok, kCancel = QMessageBox::Cancel, kYes = QMessageBox::Yes, kNo = QMessageBox::No,
                 kRetry = QMessageBox::Retry;
  switch (flags & 0x0F) {
    case MB_OKCANCEL:
      return {{kOk, IDOK}, {kCancel, IDCANCEL}};
    case MB_ABORTRETRYIGNORE:
      return {{QMessageBox::Abort, kIdAbort}, {kRetry, kIdRetry}, {QMessageBox::Ignore, kIdIgnore}};
    case MB_YESNOCANCEL:
      return {{kYes, IDYES}, {kNo, IDNO}, {kCancel, IDCANCEL}};
    case MB_YESNO:
      return {{kYes, IDYES}, {kNo, IDNO}};
    case MB_RETRYCANCEL:
      return {{kRetry, kIdRetry}, {kCancel, IDCANCEL}};
    case MB_CANCELTRYCONTINUE:
      return {{kCancel, IDCANCEL},
              {QMessageBox::NoButton, kIdTryAgain, "&Try Again"},
              {QMessageBox::NoButton, kIdContinue, "&Continue"}};
    default:
      return {{kOk, IDOK}};
  }
}

int DefaultButtonId(UINT flags) {
  std::vector<ButtonSpec> buttons = ButtonsFor(flags);
  size_t index = (flags >> 8) & 0x0F;
  return buttons[index < buttons.size() ? index : 0].id;
}

QMessageBox::Icon IconFor(UINT flags) {
  switch (flags & 0xF0) {
    case MB_ICONHAND:
      return QMessageBox::Critical;
    case MB_ICONQUESTION:
      return QMessageBox::Question;
    case MB_ICONEXCLAMATION:
      return QMessageBox::Warning;
    case MB_ICONASTERISK:
      return QMessageBox::Information;
    default:
      return QMessageBox::NoIcon;
  }
}

int ShowModalBox(const String& caption, const String& text, UINT flags) {
  QMessageBox box(IconFor(flags), QString::fromUtf8(caption.c_str()), QString::fromUtf8(text.c_str()),
                  QMessageBox::NoButton, QApplication::activeWindow());
  std::vector<std::pair<QPushButton*, int>> buttons;
  QPushButton* escape = nullptr;
  int defaultId = DefaultButtonId(flags);
  for (const ButtonSpec& choice : ButtonsFor(flags)) {
    QPushButton* button = choice.label ? box.addButton(QString::fromUtf8(choice.label), QMessageBox::ActionRole)
                                       : box.addButton(choice.standard);
    buttons.emplace_back(button, choice.id);
    if (choice.id == defaultId) box.setDefaultButton(button);
    if (choice.id == IDCANCEL || (choice.id == IDOK && (flags & 0x0F) == MB_OK)) escape = button;
  }
  if (escape) box.setEscapeButton(escape);
  MessageLoopScope loop;
  box.exec();
  for (const auto& [button, id] : buttons)
    if (box.clickedButton() == button) return id;
  return IDCANCEL;
}

struct TestDialogs {
  std::mutex mutex;
  bool answerAutomatically = false;
  std::deque<int> answers;
  std::deque<String> inputs;
  std::deque<String> fileAnswers;
  std::vector<ShownDialog> shown;
};

TestDialogs& Tests() {
  static TestDialogs tests;
  return tests;
}

}  // namespace

int ShowDialog(const String& caption, const String& text, UINT flags, bool fromShowMessage) {
  {
    TestDialogs& tests = Tests();
    std::lock_guard<std::mutex> lock(tests.mutex);
    if (tests.answerAutomatically) {
      tests.shown.push_back(ShownDialog{caption, text, flags, fromShowMessage, OnGuiThread()});
      if (tests.answers.empty()) return DefaultButtonId(flags);
      int answer = tests.answers.front();
      tests.answers.pop_front();
      return answer;
    }
  }
  return ShowModalBox(caption, text, flags);
}

bool ShowInputDialog(const String& caption, const String& prompt, String& value) {
  {
    TestDialogs& tests = Tests();
    std::lock_guard<std::mutex> lock(tests.mutex);
    if (tests.answerAutomatically) {
      tests.shown.push_back(ShownDialog{caption, prompt, MB_OKCANCEL, false, OnGuiThread()});
      if (tests.inputs.empty()) return false;
      value = tests.inputs.front();
      tests.inputs.pop_front();
      return true;
    }
  }
  QInputDialog dialog(QApplication::activeWindow());
  dialog.setWindowTitle(QString::fromUtf8(caption.c_str()));
  dialog.setLabelText(QString::fromUtf8(prompt.c_str()));
  dialog.setTextValue(QString::fromUtf8(value.c_str()));
  MessageLoopScope loop;
  if (dialog.exec() != QDialog::Accepted) return false;
  value = String(dialog.textValue().toStdString());
  return true;
}

void QueueInputAnswerForTesting(const String& text) {
  TestDialogs& tests = Tests();
  std::lock_guard<std::mutex> lock(tests.mutex);
  tests.inputs.push_back(text);
}

bool TestFileDialogAnswer(const String& title, String* answer) {
  TestDialogs& tests = Tests();
  std::lock_guard<std::mutex> lock(tests.mutex);
  if (!tests.answerAutomatically) return false;
  tests.shown.push_back(ShownDialog{title, String(), MB_OK, false, OnGuiThread()});
  *answer = String();
  if (!tests.fileAnswers.empty()) {
    *answer = tests.fileAnswers.front();
    tests.fileAnswers.pop_front();
  }
  return true;
}

void QueueFileDialogAnswerForTesting(const String& fileName) {
  TestDialogs& tests = Tests();
  std::lock_guard<std::mutex> lock(tests.mutex);
  tests.fileAnswers.push_back(fileName);
}

void AnswerDialogsForTesting(bool on) {
  Application->Initialize();
  TestDialogs& tests = Tests();
  std::lock_guard<std::mutex> lock(tests.mutex);
  tests.answerAutomatically = on;
}

void QueueDialogAnswerForTesting(int answer) {
  TestDialogs& tests = Tests();
  std::lock_guard<std::mutex> lock(tests.mutex);
  tests.answers.push_back(answer);
}

std::vector<ShownDialog> ShownDialogsForTesting() {
  TestDialogs& tests = Tests();
  std::lock_guard<std::mutex> lock(tests.mutex);
  return tests.shown;
}

void ClearShownDialogsForTesting() {
  TestDialogs& tests = Tests();
  std::lock_guard<std::mutex> lock(tests.mutex);
  tests.shown.clear();
  tests.answers.clear();
  tests.inputs.clear();
  tests.fileAnswers.clear();
}
