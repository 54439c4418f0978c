// Communications events: arrivals, output drained, the mask, injected events
// and errors, hang-up and close while a wait is pending.
#include <gtest/gtest.h>

#include <thread>

#include <kestrix/platform_testing.h>

#include "port_calls.h"
#include "shared_ports_folder.h"

namespace {
using namespace serial_test;
using std::chrono::milliseconds;

class PortEvents : public ::testing::Test {
 protected:
  void SetUp() override {
    port = openPort(4);
    ASSERT_NE(port, INVALID_HANDLE_VALUE);
    ASSERT_TRUE(SetCommMask(port, 0x1FD));
  }
  void TearDown() override {
    if (port != INVALID_HANDLE_VALUE) CloseHandle(port);
  }
  // Waits for the next event as a watcher does; 0xDEAD when none came.
  DWORD nextEvent(milliseconds timeout = std::chrono::seconds(10)) {
    if (wait.start(port)) return wait.value;
    if (wait.lastError != ERROR_IO_PENDING || !wait.finished(timeout)) return 0xDEAD;
    DWORD count = 0;
    if (!GetOverlappedResult(port, &wait.record, &count, FALSE)) return 0xBAD;
    return wait.value;
  }

  FarEnd far{4};
  HANDLE port = INVALID_HANDLE_VALUE;
  EventWait wait;
};

TEST_F(PortEvents, ArrivalIsReportedOnceAndQueuedBytesDoNotRepeatIt) {
  far.Send("abc");
  EXPECT_EQ(nextEvent(), static_cast<DWORD>(EV_RXCHAR));
  ASSERT_TRUE(WaitUntil([&] { return QueuedInput(port) == 3; }));
  // The bytes stay queued; no new arrival, so the next wait stays pending.
  ASSERT_FALSE(wait.start(port));
  EXPECT_EQ(wait.lastError, static_cast<DWORD>(ERROR_IO_PENDING));
  EXPECT_FALSE(wait.finished(milliseconds(200)));
  // A second wait while one is pending is refused.
  DWORD other = 0;
  OVERLAPPED otherRecord{};
  SetLastError(0);
  EXPECT_FALSE(WaitCommEvent(port, &other, &otherRecord));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
  // New bytes complete the pending wait.
  far.Send("d");
  ASSERT_TRUE(wait.finished());
  EXPECT_EQ(wait.value, static_cast<DWORD>(EV_RXCHAR));
  EXPECT_EQ(readQueued(port), "abcd");
}

TEST_F(PortEvents, AStreamingLineIsReportedInFewEventsAndEveryByteIsReported) {
  // A 64-byte piece every 2 ms, read only when an event says so, as a
  // watcher does: the port gathers the pieces into far fewer events, and the
  // pieces of the last gathering are reported too.
  const int kPieces = 100;
  std::string sent;
  for (int piece = 0; piece < kPieces; ++piece) sent += std::string(64, static_cast<char>('a' + piece % 26));
  std::thread sender([&] {
    for (int piece = 0; piece < kPieces; ++piece) {
      far.Send(sent.substr(piece * 64, 64));
      std::this_thread::sleep_for(milliseconds(2));
    }
  });
  const auto start = std::chrono::steady_clock::now();
  int events = 0;
  std::string received;
  for (DWORD event; (event = nextEvent(milliseconds(500))) != 0xDEAD;) {
    ASSERT_EQ(event, static_cast<DWORD>(EV_RXCHAR));
    ++events;
    received += readQueued(port);
    if (received.size() == sent.size()) break;
  }
  const auto spent = std::chrono::steady_clock::now() - start;
  sender.join();
  EXPECT_TRUE(received == sent) << received.size() << " of " << sent.size() << " bytes, whole and in order";
  // Without gathering a piece makes an event; a gathering lasts 20 ms or
  // more, and a quiet one costs at most one more event.
  EXPECT_LE(events, 2 + 2 * static_cast<int>(spent / milliseconds(20))) << "pieces: " << kPieces;
}

TEST_F(PortEvents, EachByteOfAConversationIsReportedAsItArrives) {
  // Single bytes, each sent once the last was reported: none waits for a
  // gathering, which would hold every one after the first for 20 ms or
  // more. A busy machine may delay a few of them anyway.
  int prompt = 0;
  for (int reply = 0; reply < 20; ++reply) {
    const auto sentAt = std::chrono::steady_clock::now();
    far.Send("k");
    ASSERT_EQ(nextEvent(), static_cast<DWORD>(EV_RXCHAR));
    if (std::chrono::steady_clock::now() - sentAt < milliseconds(15)) ++prompt;
    EXPECT_EQ(readQueued(port), "k");
  }
  EXPECT_GE(prompt, 10) << "of 20 bytes reported within 15 ms";
}

TEST_F(PortEvents, AnyMaskChangeCompletesThePendingWaitWithZero) {
  ASSERT_FALSE(wait.start(port));
  ASSERT_EQ(wait.lastError, static_cast<DWORD>(ERROR_IO_PENDING));
  ASSERT_TRUE(SetCommMask(port, 0));
  ASSERT_TRUE(wait.finished(milliseconds(0)));  // completed within the call
  DWORD count = 0;
  EXPECT_TRUE(GetOverlappedResult(port, &wait.record, &count, FALSE));
  EXPECT_EQ(wait.value, 0u);
  // With an empty mask nothing could end a wait: it is refused at once.
  SetLastError(0);
  EXPECT_FALSE(wait.start(port));
  EXPECT_EQ(wait.lastError, static_cast<DWORD>(ERROR_INVALID_PARAMETER));
  // Events outside the mask are not recorded.
  ASSERT_TRUE(SetCommMask(port, EV_TXEMPTY));
  far.Send("x");
  ASSERT_TRUE(WaitUntil([&] { return QueuedInput(port) == 1; }));
  ASSERT_FALSE(wait.start(port));
  EXPECT_FALSE(wait.finished(milliseconds(100)));
  ASSERT_TRUE(SetCommMask(port, 0x1FD));
}

TEST_F(PortEvents, OutputDrainedIsReportedAfterAWrite) {
  OVERLAPPED record{};
  DWORD written = 0;
  ASSERT_TRUE(WriteFile(port, "ping", 4, &written, &record));
  EXPECT_EQ(nextEvent(), static_cast<DWORD>(EV_TXEMPTY));
  EXPECT_EQ(far.Receive(4), "ping");
}

TEST_F(PortEvents, CombinedEventsAreReportedOneAtATimeLowestFirst) {
  OVERLAPPED record{};
  DWORD written = 0;
  ASSERT_TRUE(WriteFile(port, "out", 3, &written, &record));
  // The port notes the drained output before it next looks for input, so
  // both events are recorded once the reply is queued.
  ASSERT_EQ(far.Receive(3), "out");
  far.Send("in");
  ASSERT_TRUE(WaitUntil([&] { return QueuedInput(port) == 2; }));
  EXPECT_EQ(nextEvent(), static_cast<DWORD>(EV_RXCHAR));
  EXPECT_EQ(nextEvent(), static_cast<DWORD>(EV_TXEMPTY));
}

TEST_F(PortEvents, InjectedEventIsReportedExactlyEvenWhenCombined) {
  // Completes a pending wait at once.
  ASSERT_FALSE(wait.start(port));
  ASSERT_TRUE(InjectCommEventForTesting(port, EV_RXCHAR | EV_TXEMPTY));
  ASSERT_TRUE(wait.finished(milliseconds(0)));
  EXPECT_EQ(wait.value, static_cast<DWORD>(EV_RXCHAR | EV_TXEMPTY));
  // Or is kept for the next wait, which completes at once.
  ASSERT_TRUE(InjectCommEventForTesting(port, EV_BREAK));
  EXPECT_TRUE(wait.start(port));
  EXPECT_EQ(wait.value, static_cast<DWORD>(EV_BREAK));
  EXPECT_EQ(WaitForSingleObject(wait.record.hEvent, 0), WAIT_OBJECT_0);
}

TEST_F(PortEvents, InjectedErrorsAreReportedOnceByClearCommError) {
  ASSERT_TRUE(InjectCommErrorsForTesting(port, CE_RXPARITY | CE_FRAME));
  DWORD errors = 0;
  COMSTAT status{};
  ASSERT_TRUE(ClearCommError(port, &errors, &status));
  EXPECT_EQ(errors, static_cast<DWORD>(CE_RXPARITY | CE_FRAME));
  ASSERT_TRUE(ClearCommError(port, &errors, nullptr));
  EXPECT_EQ(errors, 0u);
}

TEST_F(PortEvents, HangUpEndsThePendingWaitAndLaterWaitsFailAtOnce) {
  ASSERT_FALSE(wait.start(port));
  far.HangUp();
  ASSERT_TRUE(wait.finished());
  DWORD count = 0;
  EXPECT_FALSE(GetOverlappedResult(port, &wait.record, &count, FALSE));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_DEVICE_REMOVED));
  for (int i = 0; i < 3; ++i) {
    SetLastError(0);
    EXPECT_FALSE(wait.start(port));
    EXPECT_EQ(wait.lastError, static_cast<DWORD>(ERROR_DEVICE_REMOVED));
  }
  OVERLAPPED record{};
  DWORD written = 0;
  EXPECT_FALSE(WriteFile(port, "x", 1, &written, &record));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_DEVICE_REMOVED));
}

TEST_F(PortEvents, BytesThatArrivedBeforeAHangUpAreStillReportedAndRead) {
  far.Send("last words");
  ASSERT_TRUE(WaitUntil([&] { return QueuedInput(port) == 10; }));
  far.HangUp();
  EXPECT_EQ(nextEvent(), static_cast<DWORD>(EV_RXCHAR));
  EXPECT_EQ(readQueued(port), "last words");
  // Then the hang-up: a wait pending when it is seen ends with the error,
  // and every wait after that fails at once.
  if (!wait.start(port) && wait.lastError == ERROR_IO_PENDING) {
    ASSERT_TRUE(wait.finished());
    DWORD count = 0;
    EXPECT_FALSE(GetOverlappedResult(port, &wait.record, &count, FALSE));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_DEVICE_REMOVED));
    EXPECT_FALSE(wait.start(port));
  }
  EXPECT_EQ(wait.lastError, static_cast<DWORD>(ERROR_DEVICE_REMOVED));
}

TEST_F(PortEvents, CloseEndsAPendingWaitWithOperationAborted) {
  ASSERT_FALSE(wait.start(port));
  DWORD result = 0;
  DWORD error = 0;
  std::thread watcher([&] {
    DWORD count = 0;
    // Waits without limit, as a watcher thread does.
    result = static_cast<DWORD>(GetOverlappedResult(port, &wait.record, &count, TRUE));
    error = GetLastError();
  });
  std::this_thread::sleep_for(milliseconds(50));
  ASSERT_TRUE(CloseHandle(port));
  watcher.join();
  EXPECT_EQ(result, static_cast<DWORD>(FALSE));
  EXPECT_EQ(error, static_cast<DWORD>(ERROR_OPERATION_ABORTED));
  port = INVALID_HANDLE_VALUE;
}

}  // namespace
