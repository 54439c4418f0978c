// Threads on pthreads. Threads run detached: a thread handle is a waitable
// object that becomes signalled when the routine returns, and closing the
// handle does not affect the thread.
#include <process.h>
#include <pthread.h>
#include <unistd.h>

#include <atomic>
#include <climits>

#include "thread_object.h"

namespace platform {
namespace {

thread_local ThreadObject* t_currentThread = nullptr;
thread_local DWORD t_threadId = 0;
thread_local DWORD t_lastError = 0;

std::atomic<DWORD> g_nextThreadId{1};

DWORD newThreadId() { return g_nextThreadId.fetch_add(1); }

struct StartRecord {
  std::shared_ptr<ThreadObject> thread;
  LPTHREAD_START_ROUTINE routine;
  LPVOID parameter;
};

void* threadEntry(void* argument) {
  StartRecord* start = static_cast<StartRecord*>(argument);
  std::shared_ptr<ThreadObject> self = std::move(start->thread);
  LPTHREAD_START_ROUTINE routine = start->routine;
  LPVOID parameter = start->parameter;
  delete start;

  t_currentThread = self.get();
  t_threadId = self->id;
  const DWORD result = routine(parameter);

  WaitLockGuard guard;
  if (!self->ended) {  // TerminateThread may have ended it already
    self->ended = true;
    self->exitCode = result;
    notifyWaiters();
  }
  t_currentThread = nullptr;
  return nullptr;
}

}  // namespace

ThreadObject* currentThreadObject() { return t_currentThread; }

}  // namespace platform

using namespace platform;

DWORD WINAPI GetLastError() { return t_lastError; }
void WINAPI SetLastError(DWORD dwErrCode) { t_lastError = dwErrCode; }

DWORD WINAPI GetCurrentProcessId() { return static_cast<DWORD>(::getpid()); }

DWORD WINAPI GetCurrentThreadId() {
  if (t_threadId == 0) t_threadId = newThreadId();
  return t_threadId;
}

HANDLE WINAPI CreateThread(LPSECURITY_ATTRIBUTES, SIZE_T dwStackSize, LPTHREAD_START_ROUTINE lpStartAddress,
                           LPVOID lpParameter, DWORD dwCreationFlags, LPDWORD lpThreadId) {
  if (lpStartAddress == nullptr || dwCreationFlags != 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  auto thread = std::make_shared<ThreadObject>(newThreadId());
  pthread_attr_t attributes;
  pthread_attr_init(&attributes);
  pthread_attr_setdetachstate(&attributes, PTHREAD_CREATE_DETACHED);
  if (dwStackSize != 0) {
    const SIZE_T minimum = static_cast<SIZE_T>(PTHREAD_STACK_MIN);
    pthread_attr_setstacksize(&attributes, dwStackSize < minimum ? minimum : dwStackSize);
  }

  HANDLE handle = insertHandle(thread);
  auto* start = new StartRecord{thread, lpStartAddress, lpParameter};
  pthread_t posixThread;
  const int failed = pthread_create(&posixThread, &attributes, threadEntry, start);
  pthread_attr_destroy(&attributes);
  if (failed) {
    delete start;
    removeHandle(handle);
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
  }
  if (lpThreadId) *lpThreadId = thread->id;
  return handle;
}

namespace {

struct RuntimeStart {
  _beginthreadex_proc_type routine;
  void* argument;
};

DWORD WINAPI runtimeThreadEntry(LPVOID parameter) {
  RuntimeStart start = *static_cast<RuntimeStart*>(parameter);
  delete static_cast<RuntimeStart*>(parameter);
  return start.routine(start.argument);
}

}  // namespace

uintptr_t _beginthreadex(void* security, unsigned stack_size, _beginthreadex_proc_type start_address, void* arglist,
                         unsigned initflag, unsigned* thrdaddr) {
  if (start_address == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  auto* start = new RuntimeStart{start_address, arglist};
  DWORD id = 0;
  HANDLE handle =
      CreateThread(static_cast<LPSECURITY_ATTRIBUTES>(security), stack_size, runtimeThreadEntry, start, initflag, &id);
  if (handle == nullptr) {
    delete start;
    return 0;
  }
  if (thrdaddr) *thrdaddr = id;
  return reinterpret_cast<uintptr_t>(handle);
}

BOOL WINAPI TerminateThread(HANDLE hThread, DWORD dwExitCode) {
  std::shared_ptr<ThreadObject> thread = requireHandle<ThreadObject>(hThread);
  if (!thread) return FALSE;
  WaitLockGuard guard;
  if (!thread->ended) {
    thread->terminated = true;
    thread->ended = true;
    thread->exitCode = dwExitCode;
    notifyWaiters();  // wakes the thread itself too, which then parks
  }
  return TRUE;
}

BOOL WINAPI SetThreadPriority(HANDLE hThread, int nPriority) {
  std::shared_ptr<ThreadObject> thread = requireHandle<ThreadObject>(hThread);
  if (!thread) return FALSE;
  const bool known = (nPriority >= THREAD_PRIORITY_LOWEST && nPriority <= THREAD_PRIORITY_HIGHEST) ||
                     nPriority == THREAD_PRIORITY_IDLE || nPriority == THREAD_PRIORITY_TIME_CRITICAL;
  if (!known) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  // Ordinary users may not raise priorities here: the scheduler is left
  // alone.
  return TRUE;
}
