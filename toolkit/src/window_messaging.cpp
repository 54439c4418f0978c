// Window messaging on Qt: the window registry, the posted-message queues,
// calls from other threads, and the backend behind PostMessageA,
// SendMessageA, IsWindow and MessageBoxA.
#include <kestrix/window_messaging.h>

#include <QCoreApplication>
#include <QEvent>
#include <QObject>
#include <QThread>

#include <condition_variable>
#include <cstdio>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <set>

#include "code_page.h"
#include "control_data.h"
#include "dialog_service.h"
#include "event_guard.h"
#include "message_loop.h"
#include "window_registry.h"

namespace {

struct WindowEntry {
  TWinControl* control;
  std::deque<TMessage> queue;
};

std::mutex g_windowsMutex;
std::map<HWND, WindowEntry> g_windows;
uintptr_t g_lastHandle = 0x10000;

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

void DeliverPostedMessage(HWND handle) {
  TWinControl* control = nullptr;
  TMessage message{};
  {
    std::lock_guard<std::mutex> lock(g_windowsMutex);
    auto found = g_windows.find(handle);
    // A window gone meanwhile has handed its queue to DropMessage.
    if (found == g_windows.end() || found->second.queue.empty()) return;
    control = found->second.control;
    message = found->second.queue.front();
    found->second.queue.pop_front();
  }
  CallGuarded(control, [&] { control->Dispatch(message); });
}

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
      DeliverPostedMessage(static_cast<PostedMessageEvent*>(event)->handle);
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

TWinControl* FindWindow(HWND handle) {
  std::lock_guard<std::mutex> lock(g_windowsMutex);
  auto found = g_windows.find(handle);
  return found == g_windows.end() ? nullptr : found->second.control;
}

BOOL PostMessageToWindow(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam) {
  std::lock_guard<std::mutex> lock(g_windowsMutex);
  auto found = g_windows.find(hWnd);
  if (found == g_windows.end() || !g_pump) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return FALSE;
  }
  found->second.queue.push_back(TMessage{Msg, wParam, lParam, 0});
  // Under the lock, so that the window cannot leave between queueing and
  // waking; postEvent is safe from any thread.
  QCoreApplication::postEvent(g_pump, new PostedMessageEvent(hWnd));
  return TRUE;
}

LRESULT SendMessageToWindow(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam) {
  auto dispatch = [=]() -> long long {
    TWinControl* control = FindWindow(hWnd);
    if (!control) {
      SetLastError(ERROR_INVALID_WINDOW_HANDLE);
      return 0;
    }
    TMessage message{Msg, wParam, lParam, 0};
    CallGuarded(control, [&] { control->Dispatch(message); });
    return message.Result;
  };
  if (OnGuiThread()) return static_cast<LRESULT>(dispatch());
  if (!FindWindow(hWnd)) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return 0;
  }
  return static_cast<LRESULT>(CallOnGuiThread(dispatch, [] { return 0LL; }));
}

BOOL IsWindowRegistered(HWND hWnd) { return FindWindow(hWnd) ? TRUE : FALSE; }

int ShowMessageBox(HWND, LPCSTR lpText, LPCSTR lpCaption, UINT uType) {
  String text(AnsiString(lpText ? lpText : ""));
  String caption(AnsiString(lpCaption ? lpCaption : "Error"));
  auto show = [=]() -> long long { return ShowDialog(caption, text, uType, false); };
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

const WindowMessagingBackend kBackend = {PostMessageToWindow, SendMessageToWindow, IsWindowRegistered, ShowMessageBox};

}  // namespace

HWND RegisterWindow(TWinControl* control) {
  std::lock_guard<std::mutex> lock(g_windowsMutex);
  g_lastHandle += 4;
  auto handle = reinterpret_cast<HWND>(g_lastHandle);
  g_windows.emplace(handle, WindowEntry{control, {}});
  return handle;
}

std::vector<TMessage> UnregisterWindow(HWND handle) {
  std::lock_guard<std::mutex> lock(g_windowsMutex);
  auto found = g_windows.find(handle);
  if (found == g_windows.end()) return {};
  std::vector<TMessage> left(found->second.queue.begin(), found->second.queue.end());
  g_windows.erase(found);
  return left;
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
  InstallWindowMessaging(&kBackend);
}
