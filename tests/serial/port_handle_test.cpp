// Handles when threads meet: calls on closed handles, a close while other
// threads' calls run, and a port that neither spins nor wakes when idle.
#include <sys/resource.h>

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include <kestrix/platform_testing.h>

#include "port_calls.h"
#include "shared_ports_folder.h"

namespace {
using namespace serial_test;
using std::chrono::milliseconds;

// Every call the program makes on a port, each returning its result.
std::vector<std::pair<const char*, std::function<BOOL(HANDLE)>>> portCalls() {
  return {
      {"GetCommState",
       [](HANDLE h) {
         DCB d{};
         return GetCommState(h, &d);
       }},
      {"SetCommState",
       [](HANDLE h) {
         DCB d{};
         BuildCommDCBA("9600,N,8,1", &d);
         return SetCommState(h, &d);
       }},
      {"SetupComm", [](HANDLE h) { return SetupComm(h, 4096, 4096); }},
      {"GetCommTimeouts",
       [](HANDLE h) {
         COMMTIMEOUTS t{};
         return GetCommTimeouts(h, &t);
       }},
      {"SetCommTimeouts",
       [](HANDLE h) {
         COMMTIMEOUTS t{};
         return SetCommTimeouts(h, &t);
       }},
      {"PurgeComm", [](HANDLE h) { return PurgeComm(h, 0x0F); }},
      {"ClearCommError",
       [](HANDLE h) {
         DWORD e;
         COMSTAT s;
         return ClearCommError(h, &e, &s);
       }},
      {"SetCommMask", [](HANDLE h) { return SetCommMask(h, 0x1FD); }},
      {"ReadFile",
       [](HANDLE h) {
         char b[8];
         DWORD n;
         OVERLAPPED o{};
         return ReadFile(h, b, 0, &n, &o);
       }},
      {"WriteFile",
       [](HANDLE h) {
         DWORD n;
         OVERLAPPED o{};
         return WriteFile(h, "x", 1, &n, &o);
       }},
      {"InjectCommEventForTesting", [](HANDLE h) { return InjectCommEventForTesting(h, EV_RXCHAR); }},
      {"InjectCommErrorsForTesting", [](HANDLE h) { return InjectCommErrorsForTesting(h, CE_FRAME); }},
  };
}

TEST(ClosedPort, EveryCallFailsWithInvalidHandle) {
  FarEnd far(8);
  HANDLE port = openPort(8);
  ASSERT_NE(port, INVALID_HANDLE_VALUE);
  for (const auto& [name, call] : portCalls()) EXPECT_TRUE(call(port)) << name;
  ASSERT_TRUE(CloseHandle(port));
  for (const auto& [name, call] : portCalls()) {
    SetLastError(0);
    EXPECT_FALSE(call(port)) << name;
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE)) << name;
  }
  DWORD value = 0;
  OVERLAPPED record{};
  EXPECT_FALSE(WaitCommEvent(port, &value, &record));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
  EXPECT_FALSE(CloseHandle(port));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
  // Neither a null nor the invalid handle value is a port.
  EXPECT_FALSE(ClearCommError(nullptr, nullptr, nullptr));
  EXPECT_FALSE(SetCommMask(INVALID_HANDLE_VALUE, 0));
}

TEST(ClosedPort, CloseWhileOtherThreadsCallFailsThemCleanly) {
  FarEnd far(8);
  for (int round = 0; round < 20; ++round) {
    HANDLE port = openPort(8);
    ASSERT_NE(port, INVALID_HANDLE_VALUE);
    ASSERT_TRUE(SetCommMask(port, 0x1FD));
    std::atomic<bool> stop{false};
    std::atomic<int> wrongErrors{0};
    std::vector<std::thread> callers;
    for (int t = 0; t < 3; ++t) {
      callers.emplace_back([&, t] {
        const auto calls = portCalls();
        EventWait wait;
        bool outstanding = false;
        for (size_t i = static_cast<size_t>(t); !stop; ++i) {
          BOOL ok;
          if (i % 7 == 0) {
            if (outstanding && !wait.finished(milliseconds(20))) continue;
            ok = wait.start(port);
            outstanding = !ok && wait.lastError == ERROR_IO_PENDING;
            if (outstanding) continue;
            SetLastError(wait.lastError);
          } else {
            ok = calls[i % calls.size()].second(port);
          }
          const DWORD error = GetLastError();
          // Refusals while open (a second wait, say) are fine; after the
          // close only an invalid handle may come back.
          if (!ok && error != ERROR_INVALID_HANDLE && error != ERROR_INVALID_PARAMETER &&
              error != ERROR_OPERATION_ABORTED)
            ++wrongErrors;
        }
        // A wait still pending at the close ended with it.
        if (outstanding) {
          EXPECT_TRUE(wait.finished());
        }
      });
    }
    far.Send("traffic");
    std::this_thread::sleep_for(milliseconds(5));
    ASSERT_TRUE(CloseHandle(port));
    std::this_thread::sleep_for(milliseconds(5));
    stop = true;
    for (std::thread& caller : callers) caller.join();
    EXPECT_EQ(wrongErrors.load(), 0);
  }
}

TEST(ClosedPort, WaitWithoutARecordEndsWhenThePortCloses) {
  FarEnd far(8);
  HANDLE port = openPort(8);
  ASSERT_NE(port, INVALID_HANDLE_VALUE);
  ASSERT_TRUE(SetCommMask(port, EV_RXCHAR));
  BOOL result = TRUE;
  DWORD error = 0;
  std::atomic<bool> waiting{false};
  std::thread waiter([&] {
    DWORD value = 0;
    waiting = true;
    result = WaitCommEvent(port, &value, nullptr);
    error = GetLastError();
  });
  // The close must come while the wait is under way, not before it starts,
  // however late a loaded machine runs the waiter.
  while (!waiting) std::this_thread::sleep_for(milliseconds(1));
  std::this_thread::sleep_for(milliseconds(50));
  ASSERT_TRUE(CloseHandle(port));
  waiter.join();
  EXPECT_FALSE(result);
  EXPECT_EQ(error, static_cast<DWORD>(ERROR_OPERATION_ABORTED));
}

double processCpuSeconds() {
  rusage usage{};
  ::getrusage(RUSAGE_SELF, &usage);
  return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
         static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// A port that spins would burn about a second of processor time here.
TEST(IdlePort, NeitherQueuedBytesNorAHangUpMakeItSpin) {
  FarEnd far(8);
  HANDLE port = openPort(8);
  ASSERT_NE(port, INVALID_HANDLE_VALUE);
  ASSERT_TRUE(SetCommMask(port, 0x1FD));
  far.Send("left unread");
  ASSERT_TRUE(WaitUntil([&] { return QueuedInput(port) == 11; }));

  double before = processCpuSeconds();
  std::this_thread::sleep_for(milliseconds(1000));
  EXPECT_LT(processCpuSeconds() - before, 0.3) << "an idle port with queued bytes keeps working";

  far.HangUp();
  EventWait wait;
  wait.start(port);  // the arrival
  ASSERT_TRUE(WaitUntil([&] {
    if (wait.start(port)) return false;
    if (wait.lastError == ERROR_IO_PENDING) return !wait.finished();  // ended by the hang-up
    return wait.lastError == ERROR_DEVICE_REMOVED;
  }));
  before = processCpuSeconds();
  std::this_thread::sleep_for(milliseconds(1000));
  EXPECT_LT(processCpuSeconds() - before, 0.3) << "a hung-up port keeps working";
  CloseHandle(port);
}

}  // namespace
