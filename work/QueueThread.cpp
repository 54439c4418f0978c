// The thread behind a queue: start, wait for work or stop, stop at exit.
#include "QueueThread.h"

#include <process.h>

namespace {

const DWORD kFailedWaitPauseMs = 100;

}  // namespace

HANDLE StartQueueThread(unsigned(__stdcall* pfnProc)(void*), void* pArg, DWORD* pdwThreadId) {
  unsigned threadId = 0;
  const HANDLE hThread = reinterpret_cast<HANDLE>(_beginthreadex(nullptr, 0, pfnProc, pArg, 0, &threadId));
  if (pdwThreadId != nullptr) *pdwThreadId = threadId;
  return hThread;
}

WakeReason WaitForWorkOrStop(HANDLE hWork, HANDLE hStop) {
  const HANDLE handles[2] = {hWork, hStop};
  for (;;) {
    const DWORD result = WaitForMultipleObjects(2, handles, FALSE, INFINITE);
    if (result == WAIT_OBJECT_0) return WakeReason::Work;
    if (result == WAIT_OBJECT_0 + 1) return WakeReason::Stop;
    const DWORD stopResult = WaitForSingleObject(hStop, kFailedWaitPauseMs);
    if (stopResult == WAIT_OBJECT_0) return WakeReason::Stop;
    if (stopResult == WAIT_FAILED) Sleep(kFailedWaitPauseMs);
  }
}

bool StopQueueThread(HANDLE hThread, HANDLE hStop, DWORD dwWaitMs) {
  SetEvent(hStop);
  if (WaitForSingleObject(hThread, dwWaitMs) == WAIT_OBJECT_0) return true;
  TerminateThread(hThread, 0);
  return false;
}
