// The lock owning one critical section, and its scoped guard.
#include "Locker.h"

LockerImpl::LockerImpl() { InitializeCriticalSection(&_CriticalSection); }

LockerImpl::~LockerImpl() { DeleteCriticalSection(&_CriticalSection); }

void LockerImpl::Lock() { EnterCriticalSection(&_CriticalSection); }

void LockerImpl::Unlock() { LeaveCriticalSection(&_CriticalSection); }

InnerLocker::InnerLocker(LockerImpl* pLocker) : _pLocker(pLocker) {
  if (_pLocker != nullptr) _pLocker->Lock();
}

InnerLocker::~InnerLocker() {
  if (_pLocker != nullptr) _pLocker->Unlock();
}
