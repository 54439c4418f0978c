// Tracks whether the GUI thread runs a message loop, so that calls from
// other threads that must be served on the GUI thread (message boxes, sent
// messages) are served while one runs and are answered at once otherwise,
// instead of waiting for a loop that never comes.
#pragma once

#include <windows.h>

#include <functional>

class MessageLoopScope {
 public:
  MessageLoopScope();
  ~MessageLoopScope();
  MessageLoopScope(const MessageLoopScope&) = delete;
  MessageLoopScope& operator=(const MessageLoopScope&) = delete;
};

// While on (from the main form's creation until Run ends), calls from other
// threads wait for the loop that Run is about to start even when no loop
// runs yet; turning it off answers those still waiting outside a loop.
void SetMainLoopExpected(bool expected);

bool OnGuiThread();

// Runs call on the GUI thread and returns its result. From another thread
// the caller waits while a message loop runs (or is expected);
// when none runs, or the loop ends first, fallback() gives the result
// instead. Call only after the
// toolkit is initialised.
long long CallOnGuiThread(const std::function<long long()>& call, const std::function<long long()>& fallback);

// Starts serving posted messages, calls from other threads and message
// boxes; idempotent, on the GUI thread.
void StartWindowMessaging();

class TWinControl;
// Registers the control's window with the platform; destroyed with
// DestroyWindowHandle. On the GUI thread.
HWND CreateControlWindow(TWinControl* control, bool topLevel);
