// Windows and the messages posted to them.
//
// Built on the Windows SDK, every window of the toolkit would be a system
// HWND that PostMessageA reaches from any thread. So here too a window is an
// object in the one handle table, owned by the platform: the toolkit
// registers each window with its procedure and a wake-up for its thread's
// loop, the platform keeps the window's queue of posted messages, and the
// woken loop takes them one at a time with DispatchPostedMessage.
// Only message boxes are left to a display the toolkit sets: the platform
// has nothing to draw them with.
#include <kestrix/window_messaging.h>

#include <atomic>
#include <cstdio>
#include <deque>

#include "device_change_broadcast.h"
#include "ending_signals.h"
#include "kernel_object.h"

namespace platform {
namespace {

class WindowObject : public KernelObject {
 public:
  WindowObject(WindowProcedure procedure, WindowWakeUp wakeUp, bool topLevel)
      : procedure(std::move(procedure)), wakeUp(std::move(wakeUp)), topLevel(topLevel) {}

  // Windows are destroyed, not closed.
  bool closesWithCloseHandle() const override { return false; }

  const WindowProcedure procedure;
  const WindowWakeUp wakeUp;
  const bool topLevel;
  std::mutex lock;
  // Both under lock; a destroyed window takes no more messages.
  std::deque<MSG> queue;
  bool destroyed = false;
};

std::shared_ptr<WindowObject> findWindow(HWND hWnd) {
  std::shared_ptr<WindowObject> window = lookupHandleAs<WindowObject>(reinterpret_cast<HANDLE>(hWnd));
  if (!window) SetLastError(ERROR_INVALID_WINDOW_HANDLE);
  return window;
}

std::atomic<MessageBoxDisplay> g_messageBoxDisplay{nullptr};

}  // namespace
}  // namespace platform

using platform::findWindow;
using platform::WindowObject;

HWND CreateWindowHandle(WindowProcedure procedure, WindowWakeUp wakeUp, bool topLevel) {
  const auto hWnd = reinterpret_cast<HWND>(
      platform::insertHandle(std::make_shared<WindowObject>(std::move(procedure), std::move(wakeUp), topLevel)));
  if (topLevel) {
    platform::topLevelWindowCreated(hWnd);
    platform::closeWindowsAtEndingSignals();
  }
  return hWnd;
}

std::vector<MSG> DestroyWindowHandle(HWND hWnd) {
  auto window = platform::lookupHandleAs<WindowObject>(reinterpret_cast<HANDLE>(hWnd));
  if (!window || !platform::removeHandle(reinterpret_cast<HANDLE>(hWnd))) return {};
  std::vector<MSG> left;
  {
    std::lock_guard<std::mutex> guard(window->lock);
    window->destroyed = true;
    left.assign(window->queue.begin(), window->queue.end());
    window->queue.clear();
  }
  if (window->topLevel) platform::topLevelWindowDestroyed(hWnd);
  return left;
}

BOOL DispatchPostedMessage(HWND hWnd) {
  std::shared_ptr<WindowObject> window = findWindow(hWnd);
  if (!window) return FALSE;
  MSG message;
  {
    std::lock_guard<std::mutex> guard(window->lock);
    if (window->destroyed || window->queue.empty()) return FALSE;
    message = window->queue.front();
    window->queue.pop_front();
  }
  window->procedure(hWnd, message.message, message.wParam, message.lParam);
  return TRUE;
}

void SetMessageBoxDisplay(MessageBoxDisplay display) { platform::g_messageBoxDisplay.store(display); }

BOOL WINAPI PostMessageA(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam) {
  std::shared_ptr<WindowObject> window = findWindow(hWnd);
  if (!window) return FALSE;
  std::lock_guard<std::mutex> guard(window->lock);
  // Destroyed after it was found: the post fails as if it had come later.
  if (window->destroyed) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return FALSE;
  }
  // Woken first, under the lock: the loop cannot look before the message
  // is queued, and a wake-up that throws leaves nothing queued.
  window->wakeUp(hWnd);
  window->queue.push_back(MSG{hWnd, Msg, wParam, lParam});
  return TRUE;
}

LRESULT WINAPI SendMessageA(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam) {
  std::shared_ptr<WindowObject> window = findWindow(hWnd);
  if (!window) return 0;
  return window->procedure(hWnd, Msg, wParam, lParam);
}

BOOL WINAPI IsWindow(HWND hWnd) {
  return platform::lookupHandleAs<WindowObject>(reinterpret_cast<HANDLE>(hWnd)) ? TRUE : FALSE;
}

int WINAPI MessageBoxA(HWND, LPCSTR lpText, LPCSTR lpCaption, UINT uType) {
  if (MessageBoxDisplay display = platform::g_messageBoxDisplay.load()) return display(lpText, lpCaption, uType);
  std::fprintf(stderr, "[%s] %s\n", lpCaption ? lpCaption : "Error", lpText ? lpText : "");
  std::fflush(stderr);
  return IDOK;
}
