// Kernel objects behind HANDLE values, the one lock under which every
// waitable object changes state, and the waiters it wakes.
#pragma once

#include <windows.h>

#include <chrono>
#include <condition_variable>
#include <functional>
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
  // CloseHandle refuses the objects that have their own way to go.
  virtual bool closesWithCloseHandle() const { return true; }
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
// Called under waitLock() whenever a waitable object or an overlapped record
// changes in a way a waiter may be waiting for: chooses only the waiters that
// it lets go on, so that a port's traffic never wakes the worker. They are
// woken when the WaitLockGuard that holds the lock lets it go (or before
// this thread waits itself).
void notifyWaiters();

// Holds waitLock() for a change that may notify waiters, and wakes the
// chosen ones only after letting the lock go: a waiter woken under the lock
// would at once block on it again, and cost both threads a switch more.
class WaitLockGuard {
 public:
  WaitLockGuard();
  ~WaitLockGuard();
  WaitLockGuard(const WaitLockGuard&) = delete;
  WaitLockGuard& operator=(const WaitLockGuard&) = delete;

 private:
  std::unique_lock<std::mutex> lock_;
};

// Wakes the waiters this thread's notifyWaiters chose; the lock may be held
// or not.
void wakeChosenWaiters();

using Clock = std::chrono::steady_clock;
// A deadline dwMilliseconds from now; INFINITE gives none.
Clock::time_point deadlineAfter(DWORD milliseconds);
bool isInfinite(DWORD milliseconds);

class ThreadObject;

// A thread inside waitUntil, listed under waitLock() while it waits.
class Waiter {
 public:
  // `ready` must only look, never change anything: notifyWaiters calls it
  // on the notifying thread.
  explicit Waiter(std::function<bool()> ready);
  ~Waiter();
  Waiter(const Waiter&) = delete;
  Waiter& operator=(const Waiter&) = delete;

  // Whether the waiter has a reason to wake: what it waits for, or its
  // thread's end by TerminateThread.
  bool shouldWake() const;

  // Shared, so that a notifier that lets the lock go before waking it never
  // touches a waiter that has returned meanwhile.
  const std::shared_ptr<std::condition_variable> condition = std::make_shared<std::condition_variable>();

 private:
  friend void notifyWaiters();
  std::function<bool()> ready_;
  const ThreadObject* thread_;
  Waiter* next_ = nullptr;
  Waiter* previous_ = nullptr;
};

// Waits on waitLock() (held by the caller through `lock`) until `ready`
// returns true or the deadline passes. Returns false on time-out. `ready`
// only looks (see Waiter); the caller consumes what it found, still under
// the lock. A thread ended by TerminateThread is parked here for good.
template <typename Ready>
bool waitUntil(std::unique_lock<std::mutex>& lock, DWORD milliseconds, Ready ready);

// The parts of waitUntil that are not templates.
void parkIfTerminated(std::unique_lock<std::mutex>& lock);

template <typename Ready>
bool waitUntil(std::unique_lock<std::mutex>& lock, DWORD milliseconds, Ready ready) {
  const bool forever = isInfinite(milliseconds);
  const Clock::time_point deadline = deadlineAfter(milliseconds);
  Waiter waiter(std::ref(ready));
  for (;;) {
    parkIfTerminated(lock);
    if (ready()) return true;
    wakeChosenWaiters();
    if (forever) {
      waiter.condition->wait(lock);
    } else if (waiter.condition->wait_until(lock, deadline) == std::cv_status::timeout) {
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
