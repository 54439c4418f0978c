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
#include <vector>

#include "dialog_service.h"
#include "event_guard.h"
#include "message_loop.h"
#include "toolkit/controls.h"
#include "toolkit/threads.h"
#include "utf8_ansi_conversion.h"

namespace {

// A call from another thread waiting for its result.
struct PendingCall {
  std::function<long long()> call;
  std::function<long long()> fallback;
  bool synchronized = false;  // TThread::Synchronize's: TThread::WaitFor runs it too
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
int g_threadWaits = 0;              // TThread::WaitFor calls under way
HANDLE g_synchronizeQueued = NULL;  // auto-reset: a synchronized call was queued

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

namespace {

long long CallAndWait(const std::function<long long()>& call, const std::function<long long()>& fallback,
                      bool synchronized) {
  if (OnGuiThread()) return call();
  auto pending = std::make_shared<PendingCall>();
  pending->call = call;
  pending->fallback = fallback;
  pending->synchronized = synchronized;
  {
    std::lock_guard<std::mutex> lock(g_callsMutex);
    const bool served = g_loopDepth > 0 || g_mainLoopExpected || (synchronized && g_threadWaits > 0);
    if (!served || !g_pump) return fallback();
    g_pendingCalls.insert(pending);
    QCoreApplication::postEvent(g_pump, new CallEvent(pending));
    if (synchronized && g_synchronizeQueued != NULL) SetEvent(g_synchronizeQueued);
  }
  std::unique_lock<std::mutex> lock(pending->mutex);
  pending->finished.wait(lock, [&] { return pending->done; });
  return pending->result;
}

// Runs the synchronized calls waiting now (TThread::WaitFor).
void ServeSynchronizedCalls() {
  std::vector<std::shared_ptr<PendingCall>> waiting;
  {
    std::lock_guard<std::mutex> lock(g_callsMutex);
    for (const auto& call : g_pendingCalls)
      if (call->synchronized) waiting.push_back(call);
  }
  // Their posted events find them done later and pass.
  for (const auto& call : waiting) ServeCall(call);
}

}  // namespace

long long CallOnGuiThread(const std::function<long long()>& call, const std::function<long long()>& fallback) {
  return CallAndWait(call, fallback, false);
}

bool TThread::Synchronize(const std::function<void()>& Method) {
  const auto run = [&Method]() -> long long {
    CallGuarded(nullptr, Method);
    return 1;
  };
  return CallAndWait(
             run, [] { return 0LL; }, true) != 0;
}

DWORD TThread::WaitFor(HANDLE hThread, DWORD dwMilliseconds) {
  if (!OnGuiThread()) return WaitForSingleObject(hThread, dwMilliseconds);
  {
    std::lock_guard<std::mutex> lock(g_callsMutex);
    if (g_synchronizeQueued == NULL) g_synchronizeQueued = CreateEventA(NULL, FALSE, FALSE, NULL);
    ++g_threadWaits;
  }
  const ULONGLONG start = GetTickCount64();
  DWORD result = WAIT_TIMEOUT;
  for (;;) {
    // Calls queued before this wait began have set the event too.
    ServeSynchronizedCalls();
    DWORD left = INFINITE;
    if (dwMilliseconds != INFINITE) {
      const ULONGLONG passed = GetTickCount64() - start;
      if (passed >= dwMilliseconds) {
        result = WaitForSingleObject(hThread, 0);
        break;
      }
      left = static_cast<DWORD>(dwMilliseconds - passed);
    }
    const HANDLE handles[2] = {hThread, g_synchronizeQueued};
    const DWORD woken = WaitForMultipleObjects(2, handles, FALSE, left);
    if (woken == WAIT_OBJECT_0 + 1) continue;
    result = woken == WAIT_OBJECT_0 || woken == WAIT_TIMEOUT ? woken : WAIT_FAILED;
    break;
  }
  std::lock_guard<std::mutex> lock(g_callsMutex);
  --g_threadWaits;
  return result;
}

void StartWindowMessaging() {
  if (g_pump) return;
  g_pump = new MessagePump;
  SetMessageBoxDisplay(ShowMessageBox);
}
