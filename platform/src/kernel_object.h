// Kernel objects behind HANDLE values, and the one lock and condition under
// which every waitable object changes state.
#pragma once

#include <windows.h>

#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>

namespace platform {

class KernelObject {
 public:
  virtual ~KernelObject() = default;
  // Called once, when the last handle to the object is closed. Objects that
  // hold system resources release them here, even while another thread's
  // call still holds a reference to the object.
  virtual void onClose() {}
};

// An object that WaitForSingleObject and WaitForMultipleObjects accept.
// Its signal state is read and changed only under waitLock().
class Waitable : public KernelObject {
 public:
  virtual bool isSignalled() const = 0;
  // Called when a wait reports this object: auto-reset events clear,
  // semaphores count down.
  virtual void consume() {}
};

std::mutex& waitLock();
// Notified under waitLock() whenever any waitable object becomes signalled.
void notifyWaiters();

using Clock = std::chrono::steady_clock;
// A deadline dwMilliseconds from now; INFINITE gives none.
Clock::time_point deadlineAfter(DWORD milliseconds);
bool isInfinite(DWORD milliseconds);

// Waits on waitLock() (held by the caller through `lock`) until `ready`
// returns true or the deadline passes. Returns false on time-out. A thread
// ended by TerminateThread is parked here for good.
template <typename Ready>
bool waitUntil(std::unique_lock<std::mutex>& lock, DWORD milliseconds, Ready ready);

// The parts of waitUntil that are not templates.
void parkIfTerminated(std::unique_lock<std::mutex>& lock);
std::condition_variable& waitersCondition();

template <typename Ready>
bool waitUntil(std::unique_lock<std::mutex>& lock, DWORD milliseconds, Ready ready) {
  const bool forever = isInfinite(milliseconds);
  const Clock::time_point deadline = deadlineAfter(milliseconds);
  for (;;) {
    parkIfTerminated(lock);
    if (ready()) return true;
    if (forever) {
      waitersCondition().wait(lock);
    } else if (waitersCondition().wait_until(lock, deadline) == std::cv_status::timeout) {
      parkIfTerminated(lock);
      return ready();
    }
  }
}

// The handle table. Handle values count up and are never reused within a
// process, so a stale value can never name a newer object.
HANDLE insertHandle(std::shared_ptr<KernelObject> object);
std::shared_ptr<KernelObject> lookupHandle(HANDLE handle);
std::shared_ptr<KernelObject> removeHandle(HANDLE handle);

template <typename T>
std::shared_ptr<T> lookupHandleAs(HANDLE handle) {
  return std::dynamic_pointer_cast<T>(lookupHandle(handle));
}

// Sets ERROR_INVALID_HANDLE and returns null when the handle does not name
// an object of type T.
template <typename T>
std::shared_ptr<T> requireHandle(HANDLE handle) {
  std::shared_ptr<T> object = lookupHandleAs<T>(handle);
  if (!object) SetLastError(ERROR_INVALID_HANDLE);
  return object;
}

}  // namespace platform
