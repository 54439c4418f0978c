// A thread's exit code, as tests read it to see how a thread of this layer
// ended. The program itself never asks.
#include <kestrix/platform_testing.h>

#include "thread_object.h"

using namespace platform;

BOOL WINAPI GetExitCodeThread(HANDLE hThread, LPDWORD lpExitCode) {
  std::shared_ptr<ThreadObject> thread = requireHandle<ThreadObject>(hThread);
  if (!thread) return FALSE;
  if (lpExitCode == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  WaitLockGuard guard;
  *lpExitCode = thread->exitCode;
  return TRUE;
}
