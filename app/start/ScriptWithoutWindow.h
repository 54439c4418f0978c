// `kestrix --script FILE`: a script run without a window, for a test rig.
// The window is made on Qt's offscreen platform and never shown, the panels
// given a port open it, the script runs against them as it would in the
// script window, its output goes to standard output and its errors to
// standard error, and the program ends with the script's status.
#pragma once

#include "CommandLine.h"

// The exit status: the script's (0 passed, 1 failed, 2 a script error), or
// 2 when the script cannot be read or a port cannot be opened.
int RunScriptWithoutWindow(const StartChoices& Choices);
