// WaitForSingleObject, WaitForMultipleObjects and Sleep, on one process-wide
// lock and condition: every waitable object changes state under the lock and
// wakes all waiters, each of which re-checks its own objects. With the
// handful of threads this program runs that is cheap, and it makes "report
// the lowest signalled index, consume only what is reported" exact.
#include <vector>

#include "kernel_object.h"
#include "thread_object.h"

namespace platform {

std::mutex& waitLock() {
  static std::mutex* lock = new std::mutex;  // lives to process end
  return *lock;
}

std::condition_variable& waitersCondition() {
  static std::condition_variable* condition = new std::condition_variable;
  return *condition;
}

void notifyWaiters() { waitersCondition().notify_all(); }

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

  DWORD reported = WAIT_TIMEOUT;
  auto ready = [&]() {
    if (bWaitAll) {
      for (const auto& object : objects)
        if (!object->isSignalled()) return false;
      for (const auto& object : objects) object->consume();
      reported = WAIT_OBJECT_0;
      return true;
    }
    for (DWORD i = 0; i < nCount; ++i) {
      if (objects[i]->isSignalled()) {
        objects[i]->consume();
        reported = WAIT_OBJECT_0 + i;
        return true;
      }
    }
    return false;
  };

  std::unique_lock<std::mutex> lock(platform::waitLock());
  platform::waitUntil(lock, dwMilliseconds, ready);
  return reported;
}

DWORD WINAPI WaitForSingleObject(HANDLE hHandle, DWORD dwMilliseconds) {
  return WaitForMultipleObjects(1, &hHandle, FALSE, dwMilliseconds);
}

void WINAPI Sleep(DWORD dwMilliseconds) {
  std::unique_lock<std::mutex> lock(platform::waitLock());
  platform::waitUntil(lock, dwMilliseconds, [] { return false; });
}

DWORD WINAPI GetTickCount() {
  using namespace std::chrono;
  return static_cast<DWORD>(duration_cast<milliseconds>(platform::Clock::now().time_since_epoch()).count());
}
