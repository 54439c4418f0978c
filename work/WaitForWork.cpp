// The wait shared by the worker thread and the log writer.
#include "WaitForWork.h"

namespace {

const DWORD kFailedWaitPauseMs = 100;

}  // namespace

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
