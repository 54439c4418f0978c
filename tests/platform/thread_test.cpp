// Threads, their identifiers and exit codes, forced termination, the
// per-thread last error, and critical sections.
#include <process.h>
#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <set>
#include <thread>
#include <vector>

#include "test_threads.h"

namespace {

using platform_test::finish;
using platform_test::kPatience;
using platform_test::startThread;

DWORD exitCodeOf(HANDLE thread) {
  DWORD code = 0;
  EXPECT_TRUE(GetExitCodeThread(thread, &code));
  return code;
}

// --- A thread's handle and exit code.

TEST(Thread, HandleIsSignalledWhenTheRoutineReturns) {
  HANDLE gate = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  HANDLE thread = startThread([&] {
    WaitForSingleObject(gate, INFINITE);
    return 7;
  });
  ASSERT_NE(thread, nullptr);
  EXPECT_EQ(WaitForSingleObject(thread, 20), static_cast<DWORD>(WAIT_TIMEOUT));
  EXPECT_EQ(exitCodeOf(thread), static_cast<DWORD>(STILL_ACTIVE));
  SetEvent(gate);
  EXPECT_EQ(WaitForSingleObject(thread, kPatience), WAIT_OBJECT_0);
  EXPECT_EQ(exitCodeOf(thread), 7u);
  // An ended thread stays signalled: any number of waits see it.
  EXPECT_EQ(WaitForSingleObject(thread, 0), WAIT_OBJECT_0);
  HANDLE twice[] = {thread, thread};
  EXPECT_EQ(WaitForMultipleObjects(2, twice, FALSE, 0), WAIT_OBJECT_0);
  CloseHandle(thread);
  CloseHandle(gate);
}

TEST(Thread, ClosingTheHandleLeavesTheThreadRunning) {
  HANDLE gate = CreateEventA(nullptr, FALSE, FALSE, nullptr);
  HANDLE done = CreateEventA(nullptr, FALSE, FALSE, nullptr);
  HANDLE thread = startThread([&] {
    WaitForSingleObject(gate, INFINITE);
    SetEvent(done);
    return 0;
  });
  ASSERT_TRUE(CloseHandle(thread));
  SetEvent(gate);
  EXPECT_EQ(WaitForSingleObject(done, kPatience), WAIT_OBJECT_0);
  CloseHandle(gate);
  CloseHandle(done);
}

TEST(Thread, ManyThreadsEachReportTheirOwnResult) {
  std::vector<HANDLE> threads;
  for (DWORD i = 0; i < 16; ++i) threads.push_back(startThread([i] { return 1000 + i; }));
  for (DWORD i = 0; i < threads.size(); ++i) EXPECT_EQ(finish(threads[i]), 1000 + i);
}

TEST(Thread, CreationFlagsAreRefused) {
  SetLastError(0);
  EXPECT_EQ(CreateThread(
                nullptr, 0, [](LPVOID) -> DWORD { return 0; }, nullptr, CREATE_SUSPENDED, nullptr),
            nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
  SetLastError(0);
  EXPECT_EQ(CreateThread(nullptr, 0, nullptr, nullptr, 0, nullptr), nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
}

TEST(Thread, ExitCodeOfSomethingElseIsAnInvalidHandle) {
  HANDLE event = CreateEventA(nullptr, TRUE, TRUE, nullptr);
  DWORD code = 0;
  SetLastError(0);
  EXPECT_FALSE(GetExitCodeThread(event, &code));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
  CloseHandle(event);
  SetLastError(0);
  EXPECT_FALSE(GetExitCodeThread(event, &code));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
}

TEST(Thread, OnlyKnownPrioritiesAreTaken) {
  HANDLE thread = startThread([] { return 0; });
  EXPECT_TRUE(SetThreadPriority(thread, THREAD_PRIORITY_HIGHEST));
  SetLastError(0);
  EXPECT_FALSE(SetThreadPriority(thread, 7));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
  finish(thread);
}

// --- The C runtime's thread start.

unsigned __stdcall runtimeRoutine(void* argument) {
  auto* seenId = static_cast<std::atomic<DWORD>*>(argument);
  seenId->store(GetCurrentThreadId());
  return 99;
}

TEST(BeginThreadEx, StartsAThreadWithAHandleAndAnExitCode) {
  std::atomic<DWORD> seenId{0};
  unsigned id = 0;
  const uintptr_t result = _beginthreadex(nullptr, 0, runtimeRoutine, &seenId, 0, &id);
  ASSERT_NE(result, 0u);
  HANDLE thread = reinterpret_cast<HANDLE>(result);
  EXPECT_EQ(WaitForSingleObject(thread, kPatience), WAIT_OBJECT_0);
  EXPECT_EQ(exitCodeOf(thread), 99u);
  EXPECT_NE(id, 0u);
  EXPECT_EQ(seenId.load(), id);
  EXPECT_TRUE(CloseHandle(thread));
}

TEST(BeginThreadEx, ReportsStillActiveWhileRunning) {
  static HANDLE gate;
  gate = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  const uintptr_t result = _beginthreadex(
      nullptr, 0, [](void*) -> unsigned { return WaitForSingleObject(gate, INFINITE) + 5; }, nullptr, 0, nullptr);
  HANDLE thread = reinterpret_cast<HANDLE>(result);
  EXPECT_EQ(exitCodeOf(thread), static_cast<DWORD>(STILL_ACTIVE));
  SetEvent(gate);
  EXPECT_EQ(finish(thread), 5u);
  CloseHandle(gate);
}

TEST(BeginThreadEx, FailsWithoutARoutineOrWithFlags) {
  EXPECT_EQ(_beginthreadex(nullptr, 0, nullptr, nullptr, 0, nullptr), 0u);
  EXPECT_EQ(_beginthreadex(nullptr, 0, runtimeRoutine, nullptr, CREATE_SUSPENDED, nullptr), 0u);
}

// --- Forced termination.

TEST(TerminateThread, EndsAThreadStuckInAnInfiniteWait) {
  HANDLE started = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  HANDLE never = CreateEventA(nullptr, FALSE, FALSE, nullptr);
  std::atomic<bool> ranOn{false};
  HANDLE thread = startThread([&] {
    SetEvent(started);
    WaitForSingleObject(never, INFINITE);
    ranOn.store(true);
    return 1;
  });
  ASSERT_EQ(WaitForSingleObject(started, kPatience), WAIT_OBJECT_0);
  Sleep(10);
  EXPECT_TRUE(TerminateThread(thread, 42));
  EXPECT_EQ(WaitForSingleObject(thread, kPatience), WAIT_OBJECT_0);
  EXPECT_EQ(exitCodeOf(thread), 42u);
  // Signalling what it waited for does not bring it back: the event stays
  // set (nobody took it) and the code after the wait never runs.
  SetEvent(never);
  Sleep(50);
  EXPECT_FALSE(ranOn.load());
  EXPECT_EQ(WaitForSingleObject(never, 0), WAIT_OBJECT_0);
  CloseHandle(thread);
  CloseHandle(started);
  CloseHandle(never);
}

TEST(TerminateThread, EndsAThreadInAWaitForSeveralObjectsAndInSleep) {
  HANDLE events[] = {CreateEventA(nullptr, FALSE, FALSE, nullptr), CreateEventA(nullptr, TRUE, FALSE, nullptr)};
  std::atomic<int> ranOn{0};
  HANDLE waiting = startThread([&] {
    WaitForMultipleObjects(2, events, FALSE, INFINITE);
    ranOn.fetch_add(1);
    return 0;
  });
  HANDLE sleeping = startThread([&] {
    Sleep(INFINITE);
    ranOn.fetch_add(1);
    return 0;
  });
  Sleep(20);
  EXPECT_TRUE(TerminateThread(waiting, 3));
  EXPECT_TRUE(TerminateThread(sleeping, 4));
  EXPECT_EQ(finish(waiting), 3u);
  EXPECT_EQ(finish(sleeping), 4u);
  SetEvent(events[0]);
  SetEvent(events[1]);
  Sleep(50);
  EXPECT_EQ(ranOn.load(), 0);
  EXPECT_EQ(WaitForSingleObject(events[0], 0), WAIT_OBJECT_0);
  CloseHandle(events[0]);
  CloseHandle(events[1]);
}

TEST(TerminateThread, LeavesAnEndedThreadsExitCodeAlone) {
  HANDLE thread = startThread([] { return 8; });
  ASSERT_EQ(WaitForSingleObject(thread, kPatience), WAIT_OBJECT_0);
  TerminateThread(thread, 9);
  EXPECT_EQ(exitCodeOf(thread), 8u);
  CloseHandle(thread);
}

TEST(TerminateThread, RefusesAHandleThatIsNotAThread) {
  HANDLE event = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  SetLastError(0);
  EXPECT_FALSE(TerminateThread(event, 0));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
  CloseHandle(event);
}

// --- Thread identifiers and the last error.

TEST(ThreadIdentity, IdsDifferBetweenThreadsAndMatchWhatCreationReported) {
  const DWORD mine = GetCurrentThreadId();
  EXPECT_NE(mine, 0u);
  EXPECT_EQ(GetCurrentThreadId(), mine);
  std::set<DWORD> ids{mine};
  for (int i = 0; i < 4; ++i) {
    DWORD reported = 0;
    std::atomic<DWORD> seen{0};
    HANDLE thread = startThread(
        [&] {
          seen.store(GetCurrentThreadId());
          return GetCurrentThreadId() == seen.load() ? 0 : 1;
        },
        &reported);
    EXPECT_EQ(finish(thread), 0u);
    EXPECT_NE(reported, 0u);
    EXPECT_EQ(seen.load(), reported);
    EXPECT_TRUE(ids.insert(reported).second);
  }
  // Threads this layer did not start get an identifier of their own too.
  DWORD foreign = 0;
  std::thread([&] { foreign = GetCurrentThreadId(); }).join();
  EXPECT_NE(foreign, 0u);
  EXPECT_TRUE(ids.insert(foreign).second);
}

TEST(ThreadIdentity, LastErrorBelongsToEachThread) {
  SetLastError(1234);
  std::atomic<DWORD> initial{99};
  HANDLE thread = startThread([&] {
    initial.store(GetLastError());
    SetLastError(5678);
    Sleep(10);
    return GetLastError();
  });
  EXPECT_EQ(finish(thread), 5678u);
  EXPECT_EQ(initial.load(), 0u);
  EXPECT_EQ(GetLastError(), 1234u);
}

// --- Critical sections.

TEST(CriticalSection, OwnerMayEnterAgain) {
  CRITICAL_SECTION section;
  InitializeCriticalSection(&section);
  EnterCriticalSection(&section);
  EnterCriticalSection(&section);
  EnterCriticalSection(&section);
  EXPECT_EQ(section.RecursionCount, 3);
  EXPECT_EQ(section.OwningThread, reinterpret_cast<HANDLE>(static_cast<uintptr_t>(GetCurrentThreadId())));
  LeaveCriticalSection(&section);
  LeaveCriticalSection(&section);
  // Still held once.
  EXPECT_EQ(section.RecursionCount, 1);
  EXPECT_EQ(section.OwningThread, reinterpret_cast<HANDLE>(static_cast<uintptr_t>(GetCurrentThreadId())));

  LeaveCriticalSection(&section);
  EXPECT_EQ(section.RecursionCount, 0);
  EXPECT_EQ(section.OwningThread, nullptr);
  // Free again: another thread enters.
  HANDLE other = startThread([&] {
    EnterCriticalSection(&section);
    LeaveCriticalSection(&section);
    return 1;
  });
  EXPECT_EQ(finish(other), 1u);
  DeleteCriticalSection(&section);
}

TEST(CriticalSection, EnterBlocksUntilTheOwnerLeaves) {
  CRITICAL_SECTION section;
  InitializeCriticalSection(&section);
  EnterCriticalSection(&section);
  std::atomic<bool> entered{false};
  HANDLE other = startThread([&] {
    EnterCriticalSection(&section);
    entered.store(true);
    LeaveCriticalSection(&section);
    return 0;
  });
  Sleep(30);
  EXPECT_FALSE(entered.load());
  LeaveCriticalSection(&section);
  EXPECT_EQ(finish(other), 0u);
  EXPECT_TRUE(entered.load());
  DeleteCriticalSection(&section);
}

TEST(CriticalSection, KeepsConcurrentIncrementsExact) {
  CRITICAL_SECTION section;
  InitializeCriticalSection(&section);
  long counter = 0;  // deliberately not atomic: the section must protect it
  constexpr int kThreads = 4;
  constexpr int kRounds = 5000;
  std::vector<HANDLE> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.push_back(startThread([&] {
      for (int i = 0; i < kRounds; ++i) {
        EnterCriticalSection(&section);
        EnterCriticalSection(&section);  // nested, as guards inside guarded code do
        const long seen = counter;
        if (i % 64 == 0) std::this_thread::yield();
        counter = seen + 1;
        LeaveCriticalSection(&section);
        LeaveCriticalSection(&section);
      }
      return 0;
    }));
  }
  for (HANDLE thread : threads) EXPECT_EQ(finish(thread), 0u);
  EXPECT_EQ(counter, kThreads * kRounds);
  DeleteCriticalSection(&section);
}

}  // namespace
