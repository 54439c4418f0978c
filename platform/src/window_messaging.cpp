// The window-messaging calls, forwarded to the toolkit once it has installed
// itself. Before that there are no windows.
#include <kestrix/window_messaging.h>

#include <atomic>
#include <cstdio>

namespace {

std::atomic<const WindowMessagingBackend*> g_backend{nullptr};

}  // namespace

void InstallWindowMessaging(const WindowMessagingBackend* backend) { g_backend.store(backend); }

BOOL WINAPI PostMessageA(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam) {
  if (const WindowMessagingBackend* backend = g_backend.load()) return backend->postMessage(hWnd, Msg, wParam, lParam);
  SetLastError(ERROR_INVALID_WINDOW_HANDLE);
  return FALSE;
}

LRESULT WINAPI SendMessageA(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam) {
  if (const WindowMessagingBackend* backend = g_backend.load()) return backend->sendMessage(hWnd, Msg, wParam, lParam);
  SetLastError(ERROR_INVALID_WINDOW_HANDLE);
  return 0;
}

BOOL WINAPI IsWindow(HWND hWnd) {
  if (const WindowMessagingBackend* backend = g_backend.load()) return backend->isWindow(hWnd);
  return FALSE;
}

int WINAPI MessageBoxA(HWND hWnd, LPCSTR lpText, LPCSTR lpCaption, UINT uType) {
  if (const WindowMessagingBackend* backend = g_backend.load())
    return backend->messageBox(hWnd, lpText, lpCaption, uType);
  std::fprintf(stderr, "[%s] %s\n", lpCaption ? lpCaption : "Error", lpText ? lpText : "");
  std::fflush(stderr);
  return IDOK;
}
