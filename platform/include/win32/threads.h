// Threads.
//
// TerminateThread on this platform cannot unwind another thread. It marks
// the thread ended at once (its handle is signalled with the given exit
// code) and parks it for good when it is, or next enters, a wait of this
// layer (the waits, Sleep, GetOverlappedResult with waiting, a port's event
// wait). The parked thread runs none of its own code again, but its stack
// and whatever its frames own stay allocated until the process ends, and
// locks it holds stay held, as on Windows. A thread that never waits again
// runs on until its routine returns.
#pragma once

#include "win32/types.h"

#define STILL_ACTIVE 259L
#define CREATE_SUSPENDED 0x00000004

#define THREAD_PRIORITY_LOWEST (-2)
#define THREAD_PRIORITY_BELOW_NORMAL (-1)
#define THREAD_PRIORITY_NORMAL 0
#define THREAD_PRIORITY_ABOVE_NORMAL 1
#define THREAD_PRIORITY_HIGHEST 2
#define THREAD_PRIORITY_TIME_CRITICAL 15
#define THREAD_PRIORITY_IDLE (-15)

typedef DWORD(WINAPI* PTHREAD_START_ROUTINE)(LPVOID lpThreadParameter);
typedef PTHREAD_START_ROUTINE LPTHREAD_START_ROUTINE;

// Creation flags other than 0 are refused with ERROR_INVALID_PARAMETER.
HANDLE WINAPI CreateThread(LPSECURITY_ATTRIBUTES lpThreadAttributes, SIZE_T dwStackSize,
                           LPTHREAD_START_ROUTINE lpStartAddress, LPVOID lpParameter, DWORD dwCreationFlags,
                           LPDWORD lpThreadId);
BOOL WINAPI TerminateThread(HANDLE hThread, DWORD dwExitCode);
BOOL WINAPI SetThreadPriority(HANDLE hThread, int nPriority);
DWORD WINAPI GetCurrentProcessId();
DWORD WINAPI GetCurrentThreadId();
