// The lock classes shared by the worker thread and the work units: a lock
// owning one critical section, and a scoped guard that holds it.
#pragma once

#include <windows.h>

// A re-entrant lock (for the owning thread) owning one critical section.
class LockerImpl {
 public:
  LockerImpl();
  virtual ~LockerImpl();

  LockerImpl(const LockerImpl&) = delete;
  LockerImpl& operator=(const LockerImpl&) = delete;

  void Lock();
  void Unlock();

  CRITICAL_SECTION _CriticalSection;
};

// Locks the given lock for the guard's lifetime. A null lock is not locked.
class InnerLocker {
 public:
  explicit InnerLocker(LockerImpl* pLocker);
  virtual ~InnerLocker();

  InnerLocker(const InnerLocker&) = delete;
  InnerLocker& operator=(const InnerLocker&) = delete;

 private:
  LockerImpl* _pLocker;
};
