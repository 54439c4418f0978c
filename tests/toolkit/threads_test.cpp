// TThread: calls another thread runs on the window thread, and the window
// thread's wait for such a thread, which runs them meanwhile so that
// neither waits for the other for good.
#include <gtest/gtest.h>

#include <windows.h>

#include <atomic>
#include <thread>

#include "toolkit/forms.h"
#include "toolkit/testing.h"
#include "toolkit/threads.h"

namespace {

struct Calls {
  std::atomic<int> ranOnWindowThread{0};
  std::atomic<bool> answered{false};
  std::thread::id windowThread = std::this_thread::get_id();
};

DWORD WINAPI SynchronizeThrice(LPVOID context) {
  auto& calls = *static_cast<Calls*>(context);
  const auto call = [&calls] {
    return TThread::Synchronize([&calls] {
      if (std::this_thread::get_id() == calls.windowThread) ++calls.ranOnWindowThread;
    });
  };
  // A call made before the window thread's wait began finds nobody to run
  // it and is refused; it is made again until the wait serves it.
  bool all = false;
  for (int tries = 0; tries < 1000 && !all; ++tries) {
    all = call();
    if (!all) Sleep(5);
  }
  for (int n = 0; n < 2; ++n) all = call() && all;
  calls.answered = all;
  return 0;
}

TEST(Threads, WaitForRunsTheCallsOfTheThreadItWaitsForAndSeesItEnd) {
  Application->Initialize();
  Calls calls;
  // No message loop runs: only the wait can serve the thread's calls.
  const HANDLE thread = CreateThread(nullptr, 0, SynchronizeThrice, &calls, 0, nullptr);
  ASSERT_NE(thread, nullptr);
  EXPECT_EQ(TThread::WaitFor(thread, 10000), static_cast<DWORD>(WAIT_OBJECT_0));
  EXPECT_EQ(calls.ranOnWindowThread.load(), 3);
  EXPECT_TRUE(calls.answered);
  CloseHandle(thread);
}

TEST(Threads, WaitForTimesOutOnAThreadThatDoesNotEnd) {
  Application->Initialize();
  const HANDLE never = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  const DWORD start = GetTickCount();
  EXPECT_EQ(TThread::WaitFor(never, 100), static_cast<DWORD>(WAIT_TIMEOUT));
  EXPECT_GE(GetTickCount() - start, 100u);
  CloseHandle(never);
}

TEST(Threads, SynchronizeOnTheWindowThreadRunsAtOnce) {
  Application->Initialize();
  int ran = 0;
  EXPECT_TRUE(TThread::Synchronize([&] { ++ran; }));
  EXPECT_EQ(ran, 1);
}

}  // namespace
