// The wait shared by the worker thread and the log writer: work or stop.
#pragma once

#include <windows.h>

enum class WakeReason { Work, Stop };

// Waits until hWork or hStop is signalled; hWork wins when both are. A
// failed wait is retried after a pause (a stop request still ends the pause
// at once), so a wait that keeps failing never spins.
WakeReason WaitForWorkOrStop(HANDLE hWork, HANDLE hStop);
