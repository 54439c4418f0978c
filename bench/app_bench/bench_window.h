// The whole program set up for a benchmark: two pseudo-terminal lines linked
// as COM1 and COM2 in a private ports folder, two more that send a device's
// log as COM3 and COM4 (the machine's own devices left
// out), the program's main window under watch on Qt's offscreen platform
// (unless another was chosen), and the benchmark's own thread, started once
// the window's loop runs.
#pragma once

#include <functional>
#include <string>

#include "runs.h"

// Runs `shown` on the window's thread once the window is shown and its loop
// runs, then `body` on a thread of its own; the loop ends when `body`
// returns, and so does this call.
void RunWithWindow(const std::function<void()>& shown, const std::function<void(const Lines&)>& body);

// Opens both panels as a user would, at the given baud rate on the ports the
// window lists first (COM1 and COM2, the benchmark's lines). Returns what
// went wrong, empty when both opened.
std::string OpenBothPanels(WatchedForm& form, const char* baud);

// Opens panel 1 on portOne and panel 2 on portTwo at the given baud rate.
std::string OpenPanelsOn(WatchedForm& form, const char* portOne, const char* portTwo, const char* baud);

// Closes both panels by their buttons. Returns what went wrong, empty when
// both closed.
std::string CloseBothPanels(WatchedForm& form);
