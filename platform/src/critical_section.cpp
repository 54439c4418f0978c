// Critical sections: re-entrant locks for the owning thread. The lock object
// itself lives on the heap, pointed to by LockSemaphore, so the structure
// keeps its Windows layout.
#include <mutex>

#include <windows.h>

namespace {

std::recursive_mutex* lockOf(LPCRITICAL_SECTION section) {
  if (section == nullptr || section->LockSemaphore == nullptr)
    _assert("section != nullptr && section->LockSemaphore != nullptr", "critical_section", 0);
  return static_cast<std::recursive_mutex*>(section->LockSemaphore);
}

}  // namespace

void WINAPI InitializeCriticalSection(LPCRITICAL_SECTION lpCriticalSection) {
  *lpCriticalSection = CRITICAL_SECTION{};
  lpCriticalSection->LockCount = -1;
  lpCriticalSection->LockSemaphore = new std::recursive_mutex;
}

void WINAPI EnterCriticalSection(LPCRITICAL_SECTION lpCriticalSection) {
  lockOf(lpCriticalSection)->lock();
  // Only the owner touches the counters from here on.
  if (++lpCriticalSection->RecursionCount == 1)
    lpCriticalSection->OwningThread = reinterpret_cast<HANDLE>(static_cast<uintptr_t>(GetCurrentThreadId()));
}

void WINAPI LeaveCriticalSection(LPCRITICAL_SECTION lpCriticalSection) {
  std::recursive_mutex* lock = lockOf(lpCriticalSection);
  if (--lpCriticalSection->RecursionCount == 0) lpCriticalSection->OwningThread = nullptr;
  lock->unlock();
}

void WINAPI DeleteCriticalSection(LPCRITICAL_SECTION lpCriticalSection) {
  delete lockOf(lpCriticalSection);
  lpCriticalSection->LockSemaphore = nullptr;
}
