// The registry of windows: every window control gets a handle that is never
// reused, and a queue of messages posted to it. Thread-safe.
#pragma once

#include <windows.h>

#include <vector>

#include "toolkit/controls.h"

HWND RegisterWindow(TWinControl* control);
// Takes the window out of service and returns the messages still queued
// for it (empty when it was already gone).
std::vector<TMessage> UnregisterWindow(HWND handle);
