// How the widget toolkit makes its windows known to the platform, and how
// its loop takes the messages posted to them.
#pragma once

#include <windows.h>

#include <functional>
#include <vector>

// Runs a message in the window and returns its result. SendMessageA calls it
// on the sending thread and DispatchPostedMessage on the draining one; it is
// the window's own business to run the message on the window's thread.
using WindowProcedure = std::function<LRESULT(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam)>;
// Asks the window's thread to call DispatchPostedMessage once. Called on the
// posting thread for each post, under the window's lock and before the
// message joins the queue, so it must not call window messaging itself; if
// it throws, the post is refused and the exception reaches the poster.
using WindowWakeUp = std::function<void(HWND hWnd)>;

// A new window handle, never one used before in this process. Top-level
// windows are also posted WM_DEVICECHANGE (DBT_DEVNODES_CHANGED) when serial
// devices or port links come or go, as on Windows.
HWND CreateWindowHandle(WindowProcedure procedure, WindowWakeUp wakeUp, bool topLevel = false);
// Takes the window out of service: posts and sends fail from now on and
// IsWindow is FALSE. Returns the posted messages it never took, oldest
// first, for the caller to free what they carry.
std::vector<MSG> DestroyWindowHandle(HWND hWnd);
// Runs the oldest message posted to the window through its procedure.
// FALSE when none waits or the window is gone.
BOOL DispatchPostedMessage(HWND hWnd);

// Shows a message box and returns the button chosen. The platform cannot
// draw one; until a display is set (or after null is set), MessageBoxA
// writes the caption and text to standard error and answers IDOK.
using MessageBoxDisplay = int (*)(LPCSTR lpText, LPCSTR lpCaption, UINT uType);
void SetMessageBoxDisplay(MessageBoxDisplay display);
