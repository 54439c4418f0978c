// How the widget toolkit takes over the window-messaging calls of windows.h.
// Until a backend is installed the stand-ins answer: no window exists, and
// message boxes go to standard error and answer IDOK.
#pragma once

#include <windows.h>

struct WindowMessagingBackend {
  BOOL (*postMessage)(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam);
  LRESULT (*sendMessage)(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam);
  BOOL (*isWindow)(HWND hWnd);
  int (*messageBox)(HWND hWnd, LPCSTR lpText, LPCSTR lpCaption, UINT uType);
};

// The backend must outlive its installation; null restores the stand-ins.
void InstallWindowMessaging(const WindowMessagingBackend* backend);
