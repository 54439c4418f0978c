// WaitForSingleObject, WaitForMultipleObjects and Sleep, on one process-wide
// lock: every waitable object changes state under it, which makes "report
// the lowest signalled index, consume only what is reported" exact. Each
// waiter sleeps on a condition of its own and is woken only when what it
// waits for lets it go on: a port's every arrival must not wake the worker,
// the other port's watcher and the log writer as well.
#include <vector>

#include "kernel_object.h"
#include "thread_object.h"

namespace platform {

std::mutex& waitLock() {
  static std::mutex* lock = new std::mutex;  // lives to process end
  return *lock;
}

namespace {

Waiter* g_firstWaiter = nullptr;  // guarded by waitLock()
// The conditions this thread's notifyWaiters chose, still to be woken. A
// plain pointer, alive only between a choice and its wake: objects are still
// signalled while statics are destroyed at exit, after this thread's own
// thread-local objects are gone.
using ChosenConditions = std::vector<std::shared_ptr<std::condition_variable>>;
thread_local ChosenConditions* t_chosen = nullptr;

}  // namespace

Waiter::Waiter(std::function<bool()> ready) : ready_(std::move(ready)), thread_(currentThreadObject()) {
  next_ = g_firstWaiter;
  if (next_ != nullptr) next_->previous_ = this;
  g_firstWaiter = this;
}

Waiter::~Waiter() {
  if (previous_ != nullptr)
    previous_->next_ = next_;
  else
    g_firstWaiter = next_;
  if (next_ != nullptr) next_->previous_ = previous_;
}

bool Waiter::shouldWake() const { return (thread_ != nullptr && thread_->terminated) || ready_(); }

void notifyWaiters() {
  for (Waiter* waiter = g_firstWaiter; waiter != nullptr; waiter = waiter->next_)
    if (waiter->shouldWake()) {
      if (t_chosen == nullptr) t_chosen = new ChosenConditions;
      t_chosen->push_back(waiter->condition);
    }
}

void wakeChosenWaiters() {
  const std::unique_ptr<ChosenConditions> chosen(t_chosen);
  t_chosen = nullptr;
  if (chosen)
    for (const std::shared_ptr<std::condition_variable>& condition : *chosen) condition->notify_one();
}

WaitLockGuard::WaitLockGuard() : lock_(waitLock()) {}

WaitLockGuard::~WaitLockGuard() {
  lock_.unlock();
  wakeChosenWaiters();
}

bool isInfinite(DWORD milliseconds) { return milliseconds == INFINITE; }

Clock::time_point deadlineAfter(DWORD milliseconds) {
  if (isInfinite(milliseconds)) return Clock::time_point::max();
  return Clock::now() + std::chrono::milliseconds(milliseconds);
}

void parkIfTerminated(std::unique_lock<std::mutex>& lock) {
  ThreadObject* self = currentThreadObject();
  if (self == nullptr || !self->terminated) return;
  // Never notified: the thread sleeps here until the process ends.
  static std::condition_variable* parking = new std::condition_variable;
  for (;;) parking->wait(lock);
}

}  // namespace platform

using platform::Waitable;

DWORD WINAPI WaitForMultipleObjects(DWORD nCount, const HANDLE* lpHandles, BOOL bWaitAll, DWORD dwMilliseconds) {
  if (nCount == 0 || nCount > MAXIMUM_WAIT_OBJECTS || lpHandles == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return WAIT_FAILED;
  }
  // The references keep every object alive for the whole wait, even when
  // another thread closes a handle meanwhile.
  std::vector<std::shared_ptr<Waitable>> objects;
  objects.reserve(nCount);
  for (DWORD i = 0; i < nCount; ++i) {
    std::shared_ptr<Waitable> object = platform::lookupHandleAs<Waitable>(lpHandles[i]);
    if (!object) {
      SetLastError(ERROR_INVALID_HANDLE);
      return WAIT_FAILED;
    }
    // As on Windows, waiting for all of a list that names one object twice
    // is refused: the wait would take a count or an auto-reset twice.
    if (bWaitAll) {
      for (const auto& earlier : objects) {
        if (earlier == object) {
          SetLastError(ERROR_INVALID_PARAMETER);
          return WAIT_FAILED;
        }
      }
    }
    objects.push_back(std::move(object));
  }

  // The lowest index that may be reported now; nCount when none.
  auto firstReady = [&]() -> DWORD {
    if (bWaitAll) {
      for (const auto& object : objects)
        if (!object->isSignalled()) return nCount;
      return 0;
    }
    for (DWORD i = 0; i < nCount; ++i)
      if (objects[i]->isSignalled()) return i;
    return nCount;
  };

  std::unique_lock<std::mutex> lock(platform::waitLock());
  if (!platform::waitUntil(lock, dwMilliseconds, [&] { return firstReady() < nCount; })) return WAIT_TIMEOUT;
  const DWORD index = firstReady();
  if (bWaitAll) {
    for (const auto& object : objects) object->consume();
  } else {
    objects[index]->consume();
  }
  return WAIT_OBJECT_0 + index;
}

DWORD WINAPI WaitForSingleObject(HANDLE hHandle, DWORD dwMilliseconds) {
  return WaitForMultipleObjects(1, &hHandle, FALSE, dwMilliseconds);
}

void WINAPI Sleep(DWORD dwMilliseconds) {
  std::unique_lock<std::mutex> lock(platform::waitLock());
  platform::waitUntil(lock, dwMilliseconds, [] { return false; });
}

DWORD WINAPI GetTickCount() { return static_cast<DWORD>(GetTickCount64()); }

ULONGLONG WINAPI GetTickCount64() {
  using namespace std::chrono;
  return static_cast<ULONGLONG>(duration_cast<milliseconds>(platform::Clock::now().time_since_epoch()).count());
}

// Nanoseconds of the clock the waits use.
BOOL WINAPI QueryPerformanceCounter(LARGE_INTEGER* lpPerformanceCount) {
  using namespace std::chrono;
  if (lpPerformanceCount == nullptr) return FALSE;
  lpPerformanceCount->QuadPart = duration_cast<nanoseconds>(platform::Clock::now().time_since_epoch()).count();
  return TRUE;
}

BOOL WINAPI QueryPerformanceFrequency(LARGE_INTEGER* lpFrequency) {
  if (lpFrequency == nullptr) return FALSE;
  lpFrequency->QuadPart = 1'000'000'000;
  return TRUE;
}
