// Window messaging on Qt: each control's window, registered with the
// platform, runs its messages on the GUI thread; the platform's wake-up for
// a posted message becomes a Qt event there. Calls from other threads
// (sent messages, message boxes) wait for the GUI thread's loop.
#include <kestrix/window_messaging.h>

#include <QCoreApplication>
#include <QEvent>
#include <QObject>
#include <QThread>

#include <condition_variable>
#include <cstdio>
#include <memory>
#include <mutex>
#include <set>

#include "dialog_service.h"
#include "event_guard.h"
#include "message_loop.h"
#include "toolkit/controls.h"
#include "utf8_ansi_conversion.h"

namespace {

// A call from another thread waiting for its result.
struct PendingCall {
  std::function<long long()> call;
  std::function<long long()> fallback;
  std::mutex mutex;
  std::condition_variable finished;
  bool done = false;
  long long result = 0;

  void Finish(long long value) {
    std::lock_guard<std::mutex> lock(mutex);
    if (done) return;
    done = true;
    result = value;
    finished.notify_all();
  }
  bool IsDone() {
    std::lock_guard<std::mutex> lock(mutex);
    return done;
  }
};

std::mutex g_callsMutex;
int g_loopDepth = 0;
bool g_mainLoopExpected = false;
std::set<std::shared_ptr<PendingCall>> g_pendingCalls;

const QEvent::Type kPostedMessageEvent = static_cast<QEvent::Type>(QEvent::registerEventType());
const QEvent::Type kCallEvent = static_cast<QEvent::Type>(QEvent::registerEventType());

class PostedMessageEvent : public QEvent {
 public:
  explicit PostedMessageEvent(HWND handle) : QEvent(kPostedMessageEvent), handle(handle) {}
  HWND handle;
};

class CallEvent : public QEvent {
 public:
  explicit CallEvent(std::shared_ptr<PendingCall> call) : QEvent(kCallEvent), call(std::move(call)) {}
  std::shared_ptr<PendingCall> call;
};

void ServeCall(const std::shared_ptr<PendingCall>& call) {
  if (call->IsDone()) return;
  long long result = call->call();
  call->Finish(result);
  std::lock_guard<std::mutex> lock(g_callsMutex);
  g_pendingCalls.erase(call);
}

// Receives the toolkit's own events on the GUI thread.
class MessagePump : public QObject {
 protected:
  bool event(QEvent* event) override {
    if (event->type() == kPostedMessageEvent) {
      DispatchPostedMessage(static_cast<PostedMessageEvent*>(event)->handle);
      return true;
    }
    if (event->type() == kCallEvent) {
      ServeCall(static_cast<CallEvent*>(event)->call);
      return true;
    }
    return QObject::event(event);
  }
};

MessagePump* g_pump = nullptr;

// The window's procedure: the message runs in the control on the GUI
// thread, the caller waiting for it from any other.
LRESULT RunInControl(TWinControl* control, HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam) {
  auto dispatch = [=]() -> long long {
    // A send from another thread may find the window gone by the time the
    // GUI thread serves it; windows go only on the GUI thread.
    if (!IsWindow(hWnd)) {
      SetLastError(ERROR_INVALID_WINDOW_HANDLE);
      return 0;
    }
    TMessage message{Msg, wParam, lParam, 0};
    CallGuarded(control, [&] { control->Dispatch(message); });
    return message.Result;
  };
  return static_cast<LRESULT>(CallOnGuiThread(dispatch, [] { return 0LL; }));
}

// One Qt event per posted message; postEvent is safe from any thread.
void WakeGuiThread(HWND hWnd) { QCoreApplication::postEvent(g_pump, new PostedMessageEvent(hWnd)); }

int ShowMessageBox(LPCSTR lpText, LPCSTR lpCaption, UINT uType) {
  String text(AnsiString(lpText ? lpText : ""));
  String caption(AnsiString(lpCaption ? lpCaption : "Error"));
  auto show = [=]() -> long long { return Dialogs().Box(caption, text, uType, false); };
  // No loop to show it on: the text goes to standard error and the box
  // reports failure (0), as a box that cannot be created does.
  auto cannotShow = [=]() -> long long {
    std::fprintf(stderr, "[%s] %s\n", caption.c_str(), text.c_str());
    std::fflush(stderr);
    return 0;
  };
  if (!QCoreApplication::instance()) return static_cast<int>(cannotShow());
  if (OnGuiThread()) return static_cast<int>(show());
  return static_cast<int>(CallOnGuiThread(show, cannotShow));
}

}  // namespace

HWND CreateControlWindow(TWinControl* control, bool topLevel) {
  StartWindowMessaging();
  return CreateWindowHandle([control](HWND hWnd, UINT Msg, WPARAM wParam,
                                      LPARAM lParam) { return RunInControl(control, hWnd, Msg, wParam, lParam); },
                            WakeGuiThread, topLevel);
}

MessageLoopScope::MessageLoopScope() {
  std::lock_guard<std::mutex> lock(g_callsMutex);
  ++g_loopDepth;
}

namespace {

// Answers the calls still waiting when no loop will serve them.
void AbandonPendingCallsIfNoLoop(std::unique_lock<std::mutex>& lock) {
  if (g_loopDepth > 0 || g_mainLoopExpected) return;
  std::set<std::shared_ptr<PendingCall>> abandoned;
  abandoned.swap(g_pendingCalls);
  lock.unlock();
  for (const auto& call : abandoned)
    if (!call->IsDone()) call->Finish(call->fallback());
}

}  // namespace

MessageLoopScope::~MessageLoopScope() {
  std::unique_lock<std::mutex> lock(g_callsMutex);
  --g_loopDepth;
  AbandonPendingCallsIfNoLoop(lock);
}

void SetMainLoopExpected(bool expected) {
  std::unique_lock<std::mutex> lock(g_callsMutex);
  g_mainLoopExpected = expected;
  AbandonPendingCallsIfNoLoop(lock);
}

bool OnGuiThread() {
  QCoreApplication* app = QCoreApplication::instance();
  return app && QThread::currentThread() == app->thread();
}

long long CallOnGuiThread(const std::function<long long()>& call, const std::function<long long()>& fallback) {
  if (OnGuiThread()) return call();
  auto pending = std::make_shared<PendingCall>();
  pending->call = call;
  pending->fallback = fallback;
  {
    std::lock_guard<std::mutex> lock(g_callsMutex);
    if ((g_loopDepth == 0 && !g_mainLoopExpected) || !g_pump) return fallback();
    g_pendingCalls.insert(pending);
    QCoreApplication::postEvent(g_pump, new CallEvent(pending));
  }
  std::unique_lock<std::mutex> lock(pending->mutex);
  pending->finished.wait(lock, [&] { return pending->done; });
  return pending->result;
}

void StartWindowMessaging() {
  if (g_pump) return;
  g_pump = new MessagePump;
  SetMessageBoxDisplay(ShowMessageBox);
}
