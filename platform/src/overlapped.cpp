#include "overlapped.h"

#include <atomic>

#include "sync_objects.h"

namespace platform {
namespace {

void setRecordEventLocked(HANDLE event, bool signalled) {
  if (event == nullptr) return;
  std::shared_ptr<EventObject> object = lookupHandleAs<EventObject>(event);
  if (object) object->set(signalled);
}

ULONG_PTR statusOf(OVERLAPPED* overlapped) {
  return std::atomic_ref<ULONG_PTR>(overlapped->Internal).load(std::memory_order_acquire);
}

}  // namespace

void beginOverlapped(OVERLAPPED* overlapped) {
  WaitLockGuard guard;
  std::atomic_ref<ULONG_PTR>(overlapped->InternalHigh).store(0, std::memory_order_relaxed);
  std::atomic_ref<ULONG_PTR>(overlapped->Internal).store(STATUS_PENDING, std::memory_order_release);
  setRecordEventLocked(overlapped->hEvent, false);
}

void completeOverlappedLocked(OVERLAPPED* overlapped, DWORD error, DWORD bytes) {
  std::atomic_ref<ULONG_PTR>(overlapped->InternalHigh).store(bytes, std::memory_order_relaxed);
  std::atomic_ref<ULONG_PTR>(overlapped->Internal).store(error, std::memory_order_release);
  setRecordEventLocked(overlapped->hEvent, true);
  notifyWaiters();
}

void completeOverlapped(OVERLAPPED* overlapped, DWORD error, DWORD bytes) {
  WaitLockGuard guard;
  completeOverlappedLocked(overlapped, error, bytes);
}

}  // namespace platform

BOOL WINAPI GetOverlappedResult(HANDLE hFile, LPOVERLAPPED lpOverlapped, LPDWORD lpNumberOfBytesTransferred,
                                BOOL bWait) {
  if (lpOverlapped == nullptr || lpNumberOfBytesTransferred == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  if (!platform::lookupHandle(hFile)) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  {
    std::unique_lock<std::mutex> lock(platform::waitLock());
    auto done = [&] { return platform::statusOf(lpOverlapped) != STATUS_PENDING; };
    if (!done()) {
      if (!bWait) {
        *lpNumberOfBytesTransferred = static_cast<DWORD>(lpOverlapped->InternalHigh);
        SetLastError(ERROR_IO_INCOMPLETE);
        return FALSE;
      }
      platform::waitUntil(lock, INFINITE, done);
    }
  }
  *lpNumberOfBytesTransferred =
      static_cast<DWORD>(std::atomic_ref<ULONG_PTR>(lpOverlapped->InternalHigh).load(std::memory_order_relaxed));
  const DWORD error = static_cast<DWORD>(platform::statusOf(lpOverlapped));
  if (error != 0) {
    SetLastError(error);
    return FALSE;
  }
  return TRUE;
}
