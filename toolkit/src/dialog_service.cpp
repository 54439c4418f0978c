// Modal dialogs on screen: message boxes with the classic MB_* flags, the
// text input and the file dialogs on Qt; and the presenter in use.
#include "dialog_service.h"

#include <QApplication>
#include <QFileDialog>
#include <QFontDialog>
#include <QInputDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>

#include <atomic>
#include <cmath>
#include <cstdio>
#include <utility>
#include <vector>

#include "message_loop.h"
#include "qt_text.h"

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

// "Text (*.txt)|*.txt|All (*)|*" as Qt's ";;"-separated filters: each
// description, whose text names its patterns anyway.
QString ToQtFilter(const String& filter) {
  const QStringList parts = ToQString(filter).split('|');
  QStringList filters;
  for (int i = 0; i + 1 < parts.size(); i += 2)
    filters << parts[i] + " (" + QString(parts[i + 1]).replace(';', ' ') + ")";
  return filters.join(";;");
}

class ScreenDialogs : public DialogPresenter {
 public:
  int Box(const String& caption, const String& text, UINT flags, bool) override {
    return ShowModalBox(caption, text, flags);
  }

  bool Input(const String& caption, const String& prompt, String& value) override {
    QInputDialog dialog(QApplication::activeWindow());
    dialog.setWindowTitle(QString::fromUtf8(caption.c_str()));
    dialog.setLabelText(QString::fromUtf8(prompt.c_str()));
    dialog.setTextValue(QString::fromUtf8(value.c_str()));
    MessageLoopScope loop;
    if (dialog.exec() != QDialog::Accepted) return false;
    value = String(dialog.textValue().toStdString());
    return true;
  }

  bool ChooseFile(const FileDialogRequest& request, std::vector<String>* chosen, int* filterIndex) override {
    MessageLoopScope loop;
    QWidget* parent = QApplication::activeWindow();
    const QString title = ToQString(request.Title), start = ToQString(request.FileName);
    const QString filter = ToQtFilter(request.Filter);
    const QStringList filters = filter.split(";;");
    QString selected = filters.value(request.FilterIndex - 1);
    QStringList names;
    if (request.Folder)
      names << QFileDialog::getExistingDirectory(parent, title, start);
    else if (request.Many)
      names = QFileDialog::getOpenFileNames(parent, title, start, filter, &selected);
    else
      names << (request.ForSaving ? QFileDialog::getSaveFileName(parent, title, start, filter, &selected)
                                  : QFileDialog::getOpenFileName(parent, title, start, filter, &selected));
    chosen->clear();
    for (const QString& name : names)
      if (!name.isEmpty()) chosen->push_back(FromQString(name));
    if (chosen->empty()) return false;
    if (filters.contains(selected)) *filterIndex = static_cast<int>(filters.indexOf(selected)) + 1;
    return true;
  }

  bool ChooseFont(const String& title, String& name, int& height) override {
    MessageLoopScope loop;
    QFont start(ToQString(name));
    start.setPixelSize(std::max(1, std::abs(height)));
    bool chosen = false;
    const QFont font = QFontDialog::getFont(&chosen, start, QApplication::activeWindow(), ToQString(title));
    if (!chosen) return false;
    name = FromQString(font.family());
    // The dialog gives sizes in points: pixels at the screen's resolution.
    const double dpi = QApplication::primaryScreen() ? QApplication::primaryScreen()->logicalDotsPerInchY() : 96.0;
    height = font.pixelSize() > 0 ? -font.pixelSize() : -static_cast<int>(std::lround(font.pointSizeF() * dpi / 72.0));
    return true;
  }
};

ScreenDialogs& Screen() {
  static ScreenDialogs screen;
  return screen;
}

std::atomic<DialogPresenter*> g_presenter{nullptr};

}  // namespace

int DefaultButtonId(UINT flags) {
  std::vector<ButtonSpec> buttons = ButtonsFor(flags);
  size_t index = (flags >> 8) & 0x0F;
  return buttons[index < buttons.size() ? index : 0].id;
}

DialogPresenter& Dialogs() {
  DialogPresenter* presenter = g_presenter.load();
  return presenter ? *presenter : Screen();
}

void UseDialogPresenter(DialogPresenter* presenter) { g_presenter.store(presenter); }

namespace {

class ConsoleDialogs : public DialogPresenter {
 public:
  int Box(const String& caption, const String& text, UINT flags, bool) override {
    std::fprintf(stderr, "[%s] %s\n", caption.c_str(), text.c_str());
    std::fflush(stderr);
    return DefaultButtonId(flags);
  }
  bool Input(const String& caption, const String& prompt, String&) override {
    std::fprintf(stderr, "[%s] %s\n", caption.c_str(), prompt.c_str());
    std::fflush(stderr);
    return false;
  }
  bool ChooseFile(const FileDialogRequest&, std::vector<String>*, int*) override { return false; }
  bool ChooseFont(const String&, String&, int&) override { return false; }
};

}  // namespace

void UseConsoleDialogs() {
  static ConsoleDialogs console;
  UseDialogPresenter(&console);
}
