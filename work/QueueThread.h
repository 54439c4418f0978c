// The thread behind a queue, as the worker thread and the log writer run
// it: started at once, asleep until its queue is signalled or it is told to
// stop, and given its owner's time at exit. (The capture writer, which must
// write everything before it ends, uses the wait alone.)
#pragma once

#include <windows.h>

enum class WakeReason { Work, Stop };

// Starts pfnProc(pArg) at once on a new thread with the default stack; null
// when no thread can be made.
HANDLE StartQueueThread(unsigned(__stdcall* pfnProc)(void*), void* pArg, DWORD* pdwThreadId = nullptr);

// Waits until hWork or hStop is signalled; hWork wins when both are. A
// failed wait is retried after a pause (a stop request still ends the pause
// at once), so a wait that keeps failing never spins.
WakeReason WaitForWorkOrStop(HANDLE hWork, HANDLE hStop);

// Signals hStop and waits up to dwWaitMs for hThread to end. A
// thread that has not ended by then is terminated: it stops at its next
// wait, but until then may still use what it shares with its owner, so
// the owner keeps that (its lock, its handles) for the ending process.
// Returns whether the thread ended by itself. hThread stays open.
bool StopQueueThread(HANDLE hThread, HANDLE hStop, DWORD dwWaitMs);
