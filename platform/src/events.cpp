// Events and semaphores.
#include "sync_objects.h"

namespace platform {
namespace {

BOOL changeEvent(HANDLE hEvent, bool signalled) {
  std::shared_ptr<EventObject> event = requireHandle<EventObject>(hEvent);
  if (!event) return FALSE;
  WaitLockGuard guard;
  event->set(signalled);
  if (signalled) notifyWaiters();
  return TRUE;
}

}  // namespace
}  // namespace platform

using namespace platform;

HANDLE WINAPI CreateEventA(LPSECURITY_ATTRIBUTES, BOOL bManualReset, BOOL bInitialState, LPCSTR lpName) {
  if (lpName != nullptr) {
    // Named objects are shared between processes on Windows; nothing here
    // needs them.
    SetLastError(ERROR_NOT_SUPPORTED);
    return nullptr;
  }
  return insertHandle(std::make_shared<EventObject>(bManualReset != FALSE, bInitialState != FALSE));
}

BOOL WINAPI SetEvent(HANDLE hEvent) { return changeEvent(hEvent, true); }
BOOL WINAPI ResetEvent(HANDLE hEvent) { return changeEvent(hEvent, false); }

HANDLE WINAPI CreateSemaphoreA(LPSECURITY_ATTRIBUTES, LONG lInitialCount, LONG lMaximumCount, LPCSTR lpName) {
  if (lpName != nullptr) {
    SetLastError(ERROR_NOT_SUPPORTED);
    return nullptr;
  }
  if (lMaximumCount <= 0 || lInitialCount < 0 || lInitialCount > lMaximumCount) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  return insertHandle(std::make_shared<SemaphoreObject>(lInitialCount, lMaximumCount));
}

BOOL WINAPI ReleaseSemaphore(HANDLE hSemaphore, LONG lReleaseCount, LPLONG lpPreviousCount) {
  std::shared_ptr<SemaphoreObject> semaphore = requireHandle<SemaphoreObject>(hSemaphore);
  if (!semaphore) return FALSE;
  WaitLockGuard guard;
  if (!semaphore->release(lReleaseCount, lpPreviousCount)) {
    SetLastError(lReleaseCount <= 0 ? ERROR_INVALID_PARAMETER : ERROR_TOO_MANY_POSTS);
    return FALSE;
  }
  notifyWaiters();
  return TRUE;
}
