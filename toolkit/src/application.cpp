// TApplication: start-up, the message loop, the standard error display and
// the boundary that keeps exceptions out of Qt.
#include <QApplication>
#include <QEventLoop>
#include <QFileInfo>

#include <malloc.h>

#include <cstdio>
#include <exception>

#include "accessible_interfaces.h"
#include "dialog_service.h"
#include "event_guard.h"
#include "font_families.h"
#include "message_loop.h"
#include "qt_text.h"
#include "toolkit/dialogs.h"
#include "toolkit/forms.h"

namespace {

QEventLoop* g_runLoop = nullptr;
bool g_withoutScreen = false;  // InitializeWithoutScreen

// Qt's text engine frees and takes again some hundred kilobytes each time a
// long paragraph is laid out, as a memo following a fast line does every
// frame. The C library would hand that memory back to the system at each
// free and fault it in again, zeroed, at the next layout; kept, it is
// reused.
void KeepFreedMemoryForReuse() {
  constexpr int kKeptBytes = 16 << 20;
  constexpr int kLargestFromHeap = 4 << 20;
  mallopt(M_TRIM_THRESHOLD, kKeptBytes);
  mallopt(M_MMAP_THRESHOLD, kLargestFromHeap);
}

// Shows a dialog on the GUI thread, from whichever thread asks.
int ShowDialogFromAnyThread(const String& caption, const String& text, UINT flags, bool fromShowMessage) {
  return static_cast<int>(
      CallOnGuiThread([&]() -> long long { return Dialogs().Box(caption, text, flags, fromShowMessage); },
                      [&]() -> long long {
                        std::fprintf(stderr, "[%s] %s\n", caption.c_str(), text.c_str());
                        return 0;
                      }));
}

}  // namespace

TApplication* Application = new TApplication;

TApplication::TApplication()
    : TComponent(nullptr),
      Title(
          [this] {
            if (!title_.IsEmpty() || !QCoreApplication::instance()) return title_;
            return FromQString(QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName());
          },
          // Not Qt's display name: Qt would append it to every window's
          // title bar ("caption — Kestrix").
          [this](const String& value) { title_ = value; }),
      MainForm([this] { return mainForm_; }),
      Terminated([this] { return terminated_; }) {}

TApplication::~TApplication() = default;

void TApplication::Initialize() {
  if (!QCoreApplication::instance()) {
    KeepFreedMemoryForReuse();
    // Qt keeps references to these for the application's life. The
    // platform named here wins over QT_QPA_PLATFORM.
    static char name[] = "kestrix";
    static char platform[] = "-platform";
    static char offscreen[] = "offscreen";
    static char* argv[] = {name, platform, offscreen, nullptr};
    static int argc = g_withoutScreen ? 3 : 1;
    new QApplication(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    // Names the program to the desktop: its menu entry and icon.
    QGuiApplication::setDesktopFileName(QStringLiteral(KESTRIX_DESKTOP_ID));
  }
  InstallAccessibleInterfaces();
  InstallFontSubstitutes();
  StartWindowMessaging();
}

void TApplication::InitializeWithoutScreen() {
  g_withoutScreen = true;
  UseConsoleDialogs();
  qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& message) {
    if (type == QtCriticalMsg || type == QtFatalMsg) std::fprintf(stderr, "%s\n", qPrintable(message));
  });
  Initialize();
}

void TApplication::FormCreated(TForm* form) {
  if (!mainForm_) {
    mainForm_ = form;
    // Workers' message boxes from now on wait for Run's loop.
    if (!terminated_) SetMainLoopExpected(true);
  }
  CallGuarded(form, [form] {
    if (form->OnCreate) form->OnCreate(form);
  });
}

void TApplication::Run() {
  Initialize();
  if (mainForm_ && !terminated_ && !g_withoutScreen) mainForm_->Show();
  {
    MessageLoopScope scope;
    QEventLoop loop;
    g_runLoop = &loop;
    if (!terminated_) loop.exec();
    g_runLoop = nullptr;
    SetMainLoopExpected(false);
  }
  // The forms go with the loop, before the program's own shutdown.
  while (ComponentCount > 0) delete Components.Get(ComponentCount - 1);
}

void TApplication::Terminate() {
  terminated_ = true;
  if (g_runLoop) g_runLoop->quit();
}

void TApplication::ProcessMessages() {
  if (!QCoreApplication::instance()) return;
  MessageLoopScope scope;
  QCoreApplication::processEvents(QEventLoop::AllEvents);
}

int TApplication::MessageBox(const String& Text, const String& Caption, int Flags) {
  return ShowDialogFromAnyThread(Caption, Text, static_cast<UINT>(Flags), false);
}

void TApplication::ShowException(Exception* E) {
  String text = E ? E->Message : String();
  if (!text.IsEmpty() && text.SubString(text.Length(), 1) > String(".")) text += ".";
  ShowDialogFromAnyThread(Title, text, MB_OK | MB_ICONSTOP, false);
}

void TApplication::HandleException(TObject*) {
  std::exception_ptr current = std::current_exception();
  if (!current) return;
  try {
    std::rethrow_exception(current);
  } catch (Exception& e) {
    ShowException(&e);
  } catch (std::exception& e) {
    Exception wrapped(e.what());
    ShowException(&wrapped);
  } catch (...) {
    Exception wrapped("");
    ShowException(&wrapped);
  }
}

void CallGuarded(TObject* sender, const std::function<void()>& handler) {
  try {
    handler();
  } catch (...) {
    try {
      Application->HandleException(sender);
    } catch (...) {
      // The error display itself failed; nothing more can be shown.
    }
  }
}

void ShowMessage(const String& Msg) { ShowDialogFromAnyThread(Application->Title, Msg, MB_OK, true); }

bool InputQuery(const String& ACaption, const String& APrompt, String& Value) {
  return Dialogs().Input(ACaption, APrompt, Value);
}
