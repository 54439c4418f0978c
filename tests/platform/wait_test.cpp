// Events, semaphores, waits and the handle table.
#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <set>
#include <vector>

#include "test_threads.h"

namespace {

using platform_test::finish;
using platform_test::kPatience;
using platform_test::startThread;

HANDLE autoEvent(bool signalled = false) { return CreateEventA(nullptr, FALSE, signalled, nullptr); }
HANDLE manualEvent(bool signalled = false) { return CreateEventA(nullptr, TRUE, signalled, nullptr); }

bool isSignalledNow(HANDLE object) { return WaitForSingleObject(object, 0) == WAIT_OBJECT_0; }

// --- Which object a wait for any one of several reports, and what it takes.

TEST(WaitForAny, ReportsLowestSignalledIndexAndConsumesOnlyIt) {
  HANDLE first = autoEvent();
  HANDLE second = autoEvent();
  HANDLE both[] = {first, second};
  SetEvent(second);
  SetEvent(first);
  EXPECT_EQ(WaitForMultipleObjects(2, both, FALSE, 0), WAIT_OBJECT_0);
  EXPECT_EQ(WaitForMultipleObjects(2, both, FALSE, 0), WAIT_OBJECT_0 + 1);
  EXPECT_EQ(WaitForMultipleObjects(2, both, FALSE, 0), static_cast<DWORD>(WAIT_TIMEOUT));
  CloseHandle(first);
  CloseHandle(second);
}

TEST(WaitForAny, SemaphoreAtHigherIndexKeepsItsCountWhenLowerIndexIsReported) {
  // The worker's wait: items (semaphore, index 0) win over exit (event, index 1).
  HANDLE semaphore = CreateSemaphoreA(nullptr, 0, 0x7FFFFFFF, nullptr);
  HANDLE exitEvent = manualEvent();
  HANDLE lowFirst[] = {exitEvent, semaphore};
  ReleaseSemaphore(semaphore, 1, nullptr);
  SetEvent(exitEvent);
  EXPECT_EQ(WaitForMultipleObjects(2, lowFirst, FALSE, 0), WAIT_OBJECT_0);
  EXPECT_EQ(WaitForMultipleObjects(2, lowFirst, FALSE, 0), WAIT_OBJECT_0);  // manual reset: still set
  EXPECT_TRUE(isSignalledNow(semaphore));                                   // count 1 was never taken
  EXPECT_FALSE(isSignalledNow(semaphore));
  CloseHandle(semaphore);
  CloseHandle(exitEvent);
}

TEST(WaitForAny, SemaphoreFirstDrainsItsCountBeforeTheExitEventIsReported) {
  HANDLE semaphore = CreateSemaphoreA(nullptr, 0, 0x7FFFFFFF, nullptr);
  HANDLE exitEvent = manualEvent();
  HANDLE handles[] = {semaphore, exitEvent};
  ReleaseSemaphore(semaphore, 2, nullptr);
  SetEvent(exitEvent);
  EXPECT_EQ(WaitForMultipleObjects(2, handles, FALSE, INFINITE), WAIT_OBJECT_0);
  EXPECT_EQ(WaitForMultipleObjects(2, handles, FALSE, INFINITE), WAIT_OBJECT_0);
  EXPECT_EQ(WaitForMultipleObjects(2, handles, FALSE, INFINITE), WAIT_OBJECT_0 + 1);
  EXPECT_EQ(WaitForMultipleObjects(2, handles, FALSE, INFINITE), WAIT_OBJECT_0 + 1);
  CloseHandle(semaphore);
  CloseHandle(exitEvent);
}

TEST(WaitForAny, AutoResetEventAtHigherIndexStaysSignalled) {
  HANDLE manual = manualEvent(true);
  HANDLE automatic = autoEvent(true);
  HANDLE handles[] = {manual, automatic};
  EXPECT_EQ(WaitForMultipleObjects(2, handles, FALSE, 0), WAIT_OBJECT_0);
  EXPECT_TRUE(isSignalledNow(automatic));
  EXPECT_FALSE(isSignalledNow(automatic));
  CloseHandle(manual);
  CloseHandle(automatic);
}

TEST(WaitForAny, SameHandleTwiceIsAllowedAndConsumedOnce) {
  HANDLE semaphore = CreateSemaphoreA(nullptr, 1, 5, nullptr);
  HANDLE twice[] = {semaphore, semaphore};
  EXPECT_EQ(WaitForMultipleObjects(2, twice, FALSE, 0), WAIT_OBJECT_0);
  EXPECT_EQ(WaitForMultipleObjects(2, twice, FALSE, 0), static_cast<DWORD>(WAIT_TIMEOUT));
  CloseHandle(semaphore);
}

// --- Waiting for all of several objects.

TEST(WaitForAll, TakesNothingUntilEveryObjectIsSignalled) {
  HANDLE event = autoEvent(true);
  HANDLE semaphore = CreateSemaphoreA(nullptr, 0, 3, nullptr);
  HANDLE handles[] = {event, semaphore};
  EXPECT_EQ(WaitForMultipleObjects(2, handles, TRUE, 0), static_cast<DWORD>(WAIT_TIMEOUT));
  EXPECT_EQ(WaitForMultipleObjects(2, handles, TRUE, 20), static_cast<DWORD>(WAIT_TIMEOUT));
  EXPECT_TRUE(isSignalledNow(event));  // not consumed by the failed wait
  SetEvent(event);
  ReleaseSemaphore(semaphore, 1, nullptr);
  EXPECT_EQ(WaitForMultipleObjects(2, handles, TRUE, 0), WAIT_OBJECT_0);
  EXPECT_FALSE(isSignalledNow(event));  // both consumed
  EXPECT_FALSE(isSignalledNow(semaphore));
  CloseHandle(event);
  CloseHandle(semaphore);
}

TEST(WaitForAll, WakesWhenAnotherThreadSignalsTheLastObject) {
  HANDLE first = manualEvent(true);
  HANDLE second = autoEvent();
  HANDLE handles[] = {first, second};
  HANDLE waiter = startThread([&] { return WaitForMultipleObjects(2, handles, TRUE, kPatience); });
  Sleep(20);
  SetEvent(second);
  EXPECT_EQ(finish(waiter), WAIT_OBJECT_0);
  EXPECT_TRUE(isSignalledNow(first));
  EXPECT_FALSE(isSignalledNow(second));
  CloseHandle(first);
  CloseHandle(second);
}

TEST(WaitForAll, SameHandleTwiceIsRefused) {
  // Would otherwise take two counts of a semaphore that has one.
  HANDLE semaphore = CreateSemaphoreA(nullptr, 1, 5, nullptr);
  HANDLE twice[] = {semaphore, semaphore};
  SetLastError(0);
  EXPECT_EQ(WaitForMultipleObjects(2, twice, TRUE, 0), WAIT_FAILED);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
  EXPECT_TRUE(isSignalledNow(semaphore));
  CloseHandle(semaphore);
}

// --- Time-outs.

TEST(WaitTimeout, ZeroOnlyPolls) {
  HANDLE event = autoEvent();
  EXPECT_EQ(WaitForSingleObject(event, 0), static_cast<DWORD>(WAIT_TIMEOUT));
  SetEvent(event);
  EXPECT_EQ(WaitForSingleObject(event, 0), WAIT_OBJECT_0);
  CloseHandle(event);
}

TEST(WaitTimeout, SmallTimeoutWaitsAtLeastThatLong) {
  HANDLE event = autoEvent();
  HANDLE handles[] = {event, event};
  for (DWORD milliseconds : {1u, 15u, 40u}) {
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(WaitForSingleObject(event, milliseconds), static_cast<DWORD>(WAIT_TIMEOUT));
    EXPECT_EQ(WaitForMultipleObjects(2, handles, FALSE, milliseconds), static_cast<DWORD>(WAIT_TIMEOUT));
    EXPECT_GE(std::chrono::steady_clock::now() - start, 2 * std::chrono::milliseconds(milliseconds));
  }
  CloseHandle(event);
}

TEST(WaitTimeout, SignalledObjectIsReportedWithoutWaitingOutTheTimeout) {
  HANDLE event = manualEvent(true);
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(WaitForSingleObject(event, kPatience), WAIT_OBJECT_0);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(kPatience / 2));
  CloseHandle(event);
}

TEST(WaitTimeout, SleepLastsAtLeastItsTime) {
  const auto start = std::chrono::steady_clock::now();
  Sleep(30);
  EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(30));
  Sleep(0);
}

// --- Handles that cannot be waited on.

TEST(WaitFailure, InvalidOrClosedHandleFailsWithInvalidHandle) {
  HANDLE closed = autoEvent(true);
  CloseHandle(closed);
  for (HANDLE bad : {closed, static_cast<HANDLE>(nullptr), INVALID_HANDLE_VALUE, reinterpret_cast<HANDLE>(0x7ffc)}) {
    SetLastError(0);
    EXPECT_EQ(WaitForSingleObject(bad, 0), WAIT_FAILED);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
  }
}

TEST(WaitFailure, OneBadHandleFailsTheWholeWaitAndTakesNothing) {
  HANDLE good = autoEvent(true);
  HANDLE closed = autoEvent(true);
  CloseHandle(closed);
  HANDLE handles[] = {good, closed};
  SetLastError(0);
  EXPECT_EQ(WaitForMultipleObjects(2, handles, FALSE, 0), WAIT_FAILED);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
  EXPECT_TRUE(isSignalledNow(good));
  CloseHandle(good);
}

TEST(WaitFailure, BadCountIsAnInvalidParameter) {
  HANDLE event = autoEvent(true);
  std::vector<HANDLE> many(MAXIMUM_WAIT_OBJECTS + 1, event);
  SetLastError(0);
  EXPECT_EQ(WaitForMultipleObjects(0, many.data(), FALSE, 0), WAIT_FAILED);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
  SetLastError(0);
  EXPECT_EQ(WaitForMultipleObjects(MAXIMUM_WAIT_OBJECTS + 1, many.data(), FALSE, 0), WAIT_FAILED);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
  EXPECT_EQ(WaitForMultipleObjects(MAXIMUM_WAIT_OBJECTS, many.data(), FALSE, 0), WAIT_OBJECT_0);
  CloseHandle(event);
}

// --- Events across threads.

TEST(Event, BlockedWaiterIsWokenBySetEventFromAnotherThread) {
  HANDLE event = autoEvent();
  HANDLE started = manualEvent();
  HANDLE waiter = startThread([&] {
    SetEvent(started);
    return WaitForSingleObject(event, INFINITE) + 100;
  });
  ASSERT_EQ(WaitForSingleObject(started, kPatience), WAIT_OBJECT_0);
  Sleep(20);  // most likely blocked by now; the outcome is the same if not
  EXPECT_EQ(WaitForSingleObject(waiter, 0), static_cast<DWORD>(WAIT_TIMEOUT));
  SetEvent(event);
  EXPECT_EQ(finish(waiter), WAIT_OBJECT_0 + 100);
  EXPECT_FALSE(isSignalledNow(event));  // the waiter took it
  CloseHandle(event);
  CloseHandle(started);
}

TEST(Event, WaitingThreadIsWokenWhenAnotherThreadSetsTheEvent) {
  HANDLE event = autoEvent();
  HANDLE setter = startThread([&] {
    Sleep(20);
    SetEvent(event);
    return 0;
  });
  EXPECT_EQ(WaitForSingleObject(event, kPatience), WAIT_OBJECT_0);
  EXPECT_EQ(finish(setter), 0u);
  CloseHandle(event);
}

TEST(Event, ManualResetReleasesEveryWaiterAndStaysSignalled) {
  HANDLE event = manualEvent();
  std::vector<HANDLE> waiters;
  for (int i = 0; i < 4; ++i) waiters.push_back(startThread([&] { return WaitForSingleObject(event, kPatience); }));
  Sleep(20);
  SetEvent(event);
  for (HANDLE waiter : waiters) EXPECT_EQ(finish(waiter), WAIT_OBJECT_0);
  EXPECT_TRUE(isSignalledNow(event));
  EXPECT_TRUE(isSignalledNow(event));
  ResetEvent(event);
  EXPECT_FALSE(isSignalledNow(event));
  CloseHandle(event);
}

TEST(Event, AutoResetReleasesOneWaiterPerSet) {
  HANDLE event = autoEvent();
  HANDLE waiters[] = {startThread([&] { return WaitForSingleObject(event, INFINITE); }),
                      startThread([&] { return WaitForSingleObject(event, INFINITE); })};
  Sleep(20);
  SetEvent(event);
  const DWORD first = WaitForMultipleObjects(2, waiters, FALSE, kPatience);
  ASSERT_LT(first, 2u);
  HANDLE other = waiters[1 - first];
  EXPECT_EQ(WaitForSingleObject(other, 50), static_cast<DWORD>(WAIT_TIMEOUT));
  SetEvent(event);
  EXPECT_EQ(finish(other), WAIT_OBJECT_0);
  EXPECT_EQ(finish(waiters[first]), WAIT_OBJECT_0);
  EXPECT_FALSE(isSignalledNow(event));
  CloseHandle(event);
}

TEST(Event, NamedEventsAreNotSupported) {
  SetLastError(0);
  EXPECT_EQ(CreateEventA(nullptr, TRUE, FALSE, "Global\\kestrix"), nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NOT_SUPPORTED));
}

// --- Semaphores.

TEST(Semaphore, EachWaitTakesOneCount) {
  HANDLE semaphore = CreateSemaphoreA(nullptr, 2, 5, nullptr);
  EXPECT_TRUE(isSignalledNow(semaphore));
  EXPECT_TRUE(isSignalledNow(semaphore));
  EXPECT_FALSE(isSignalledNow(semaphore));
  LONG previous = -1;
  EXPECT_TRUE(ReleaseSemaphore(semaphore, 3, &previous));
  EXPECT_EQ(previous, 0);
  EXPECT_TRUE(ReleaseSemaphore(semaphore, 1, &previous));
  EXPECT_EQ(previous, 3);
  CloseHandle(semaphore);
}

TEST(Semaphore, ReleasePastTheMaximumFailsAndChangesNothing) {
  HANDLE semaphore = CreateSemaphoreA(nullptr, 1, 2, nullptr);
  LONG previous = -1;
  SetLastError(0);
  EXPECT_FALSE(ReleaseSemaphore(semaphore, 2, &previous));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_TOO_MANY_POSTS));
  EXPECT_EQ(previous, -1);
  EXPECT_TRUE(ReleaseSemaphore(semaphore, 1, &previous));
  EXPECT_EQ(previous, 1);
  SetLastError(0);
  EXPECT_FALSE(ReleaseSemaphore(semaphore, 1, nullptr));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_TOO_MANY_POSTS));
  EXPECT_TRUE(isSignalledNow(semaphore));
  EXPECT_TRUE(isSignalledNow(semaphore));
  EXPECT_FALSE(isSignalledNow(semaphore));
  CloseHandle(semaphore);
}

TEST(Semaphore, LargestMaximumAcceptsManyReleases) {
  HANDLE semaphore = CreateSemaphoreA(nullptr, 0, 0x7FFFFFFF, nullptr);
  ASSERT_NE(semaphore, nullptr);
  EXPECT_TRUE(ReleaseSemaphore(semaphore, 0x7FFFFFFE, nullptr));
  EXPECT_TRUE(ReleaseSemaphore(semaphore, 1, nullptr));
  EXPECT_FALSE(ReleaseSemaphore(semaphore, 1, nullptr));
  CloseHandle(semaphore);
}

TEST(Semaphore, BadCountsAreInvalidParameters) {
  SetLastError(0);
  EXPECT_EQ(CreateSemaphoreA(nullptr, 3, 2, nullptr), nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
  SetLastError(0);
  EXPECT_EQ(CreateSemaphoreA(nullptr, 0, 0, nullptr), nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
  SetLastError(0);
  EXPECT_EQ(CreateSemaphoreA(nullptr, -1, 2, nullptr), nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
  HANDLE semaphore = CreateSemaphoreA(nullptr, 0, 2, nullptr);
  for (LONG count : {0, -1}) {
    SetLastError(0);
    EXPECT_FALSE(ReleaseSemaphore(semaphore, count, nullptr));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
  }
  CloseHandle(semaphore);
}

TEST(Semaphore, ReleaseWakesAsManyWaitersAsItAdds) {
  HANDLE semaphore = CreateSemaphoreA(nullptr, 0, 10, nullptr);
  std::atomic<int> woken{0};
  std::vector<HANDLE> waiters;
  for (int i = 0; i < 3; ++i) {
    waiters.push_back(startThread([&] {
      const DWORD result = WaitForSingleObject(semaphore, INFINITE);
      woken.fetch_add(1);
      return result;
    }));
  }
  Sleep(20);
  ReleaseSemaphore(semaphore, 2, nullptr);
  // Two of the three end; the third stays blocked until one more count.
  int ended = 0;
  for (int round = 0; round < 2; ++round) {
    const DWORD index = WaitForMultipleObjects(static_cast<DWORD>(waiters.size()), waiters.data(), FALSE, kPatience);
    ASSERT_LT(index, waiters.size());
    CloseHandle(waiters[index]);
    waiters.erase(waiters.begin() + index);
    ++ended;
  }
  EXPECT_EQ(ended, 2);
  EXPECT_EQ(WaitForSingleObject(waiters[0], 50), static_cast<DWORD>(WAIT_TIMEOUT));
  EXPECT_EQ(woken.load(), 2);
  ReleaseSemaphore(semaphore, 1, nullptr);
  EXPECT_EQ(finish(waiters[0]), WAIT_OBJECT_0);
  EXPECT_FALSE(isSignalledNow(semaphore));
  CloseHandle(semaphore);
}

TEST(Semaphore, EveryCountIsTakenExactlyOnceByConcurrentWaiters) {
  // The worker's loop: items on a semaphore (index 0) win over the exit
  // event (index 1), so every count released before the exit is taken.
  constexpr int kProducers = 2;
  constexpr int kConsumers = 3;
  constexpr int kItems = 2000;
  HANDLE semaphore = CreateSemaphoreA(nullptr, 0, 0x7FFFFFFF, nullptr);
  HANDLE exitEvent = manualEvent();
  HANDLE handles[] = {semaphore, exitEvent};
  std::atomic<int> taken{0};
  std::vector<HANDLE> consumers;
  for (int i = 0; i < kConsumers; ++i) {
    consumers.push_back(startThread([&] {
      for (;;) {
        const DWORD result = WaitForMultipleObjects(2, handles, FALSE, INFINITE);
        if (result == WAIT_OBJECT_0)
          taken.fetch_add(1);
        else
          return result;
      }
    }));
  }
  std::vector<HANDLE> producers;
  for (int i = 0; i < kProducers; ++i) {
    producers.push_back(startThread([&] {
      for (int item = 0; item < kItems; ++item)
        if (!ReleaseSemaphore(semaphore, 1, nullptr)) return 1;
      return 0;
    }));
  }
  for (HANDLE producer : producers) EXPECT_EQ(finish(producer), 0u);
  SetEvent(exitEvent);
  for (HANDLE consumer : consumers) EXPECT_EQ(finish(consumer), WAIT_OBJECT_0 + 1);
  EXPECT_EQ(taken.load(), kProducers * kItems);
  EXPECT_FALSE(isSignalledNow(semaphore));
  CloseHandle(semaphore);
  CloseHandle(exitEvent);
}

TEST(Semaphore, CountsReleasedWhileWaitersTimeOutAreEachTakenOnce) {
  // Waiters are woken only after the releasing thread lets the wait lock
  // go; by then a waiter may have timed out and returned. Nothing of a
  // returned waiter may be touched, and no count may be lost or taken twice.
  constexpr int kWaiters = 4;
  constexpr int kItems = 3000;
  HANDLE semaphore = CreateSemaphoreA(nullptr, 0, 0x7FFFFFFF, nullptr);
  std::atomic<int> taken{0};
  std::atomic<bool> stop{false};
  std::vector<HANDLE> waiters;
  for (int i = 0; i < kWaiters; ++i) {
    waiters.push_back(startThread([&] {
      while (!stop.load())
        if (WaitForSingleObject(semaphore, 1) == WAIT_OBJECT_0) taken.fetch_add(1);
      return 0;
    }));
  }
  for (int item = 0; item < kItems; ++item) {
    ASSERT_TRUE(ReleaseSemaphore(semaphore, 1, nullptr));
    if (item % 64 == 0) Sleep(1);  // lets waiters time out between counts
  }
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kPatience);
  while (taken.load() < kItems && std::chrono::steady_clock::now() < deadline) Sleep(1);
  stop.store(true);
  for (HANDLE waiter : waiters) EXPECT_EQ(finish(waiter), 0u);
  EXPECT_EQ(taken.load(), kItems);
  EXPECT_FALSE(isSignalledNow(semaphore));
  CloseHandle(semaphore);
}

// --- The handle table.

TEST(Handles, ClosedValueIsNotHandedOutAgain) {
  HANDLE closed = autoEvent();
  ASSERT_TRUE(CloseHandle(closed));
  std::set<HANDLE> seen;
  std::vector<HANDLE> created;
  for (int i = 0; i < 50; ++i) {
    HANDLE handle = (i % 2) ? autoEvent() : CreateSemaphoreA(nullptr, 0, 1, nullptr);
    ASSERT_NE(handle, nullptr);
    EXPECT_NE(handle, closed);
    EXPECT_NE(handle, INVALID_HANDLE_VALUE);
    EXPECT_EQ(reinterpret_cast<uintptr_t>(handle) % 4, 0u);
    EXPECT_TRUE(seen.insert(handle).second);
    created.push_back(handle);
    if (i % 3 == 0) {  // closing on the way must not recycle either
      CloseHandle(handle);
      created.pop_back();
    }
  }
  HANDLE thread = startThread([] { return 0; });
  EXPECT_EQ(seen.count(thread), 0u);
  EXPECT_NE(thread, closed);
  finish(thread);
  for (HANDLE handle : created) CloseHandle(handle);
}

TEST(Handles, ClosingTwiceFailsTheSecondTime) {
  HANDLE event = autoEvent();
  SetLastError(0);
  EXPECT_TRUE(CloseHandle(event));
  EXPECT_FALSE(CloseHandle(event));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
  SetLastError(0);
  EXPECT_FALSE(CloseHandle(nullptr));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
}

TEST(Handles, ClosedOrMistypedHandleIsRefusedByEveryCall) {
  HANDLE event = autoEvent();
  HANDLE semaphore = CreateSemaphoreA(nullptr, 0, 1, nullptr);
  SetLastError(0);
  EXPECT_FALSE(ReleaseSemaphore(event, 1, nullptr));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
  SetLastError(0);
  EXPECT_FALSE(SetEvent(semaphore));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
  CloseHandle(event);
  SetLastError(0);
  EXPECT_FALSE(SetEvent(event));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
  SetLastError(0);
  EXPECT_FALSE(ResetEvent(event));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
  CloseHandle(semaphore);
}

}  // namespace
