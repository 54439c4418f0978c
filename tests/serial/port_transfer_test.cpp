// Bytes through a port: writes in order and in the background, reads of
// what is queued, write time-outs, purging.
#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <mutex>
#include <thread>

#include "kernel_object.h"
#include "port_calls.h"
#include "shared_ports_folder.h"

namespace {
using namespace serial_test;
using std::chrono::milliseconds;

std::string pattern(size_t length, char seed) {
  std::string bytes(length, '\0');
  for (size_t i = 0; i < length; ++i) bytes[i] = static_cast<char>(seed + static_cast<char>(i % 61));
  return bytes;
}

class PortTransfer : public ::testing::Test {
 protected:
  void SetUp() override {
    port = openPort(2);
    ASSERT_NE(port, INVALID_HANDLE_VALUE);
    write.hEvent = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  }
  void TearDown() override {
    CloseHandle(port);
    CloseHandle(write.hEvent);
  }
  // As the program writes: one record for every write, never waited for.
  void writeOverlapped(const std::string& bytes) {
    DWORD written = 0;
    ASSERT_TRUE(WriteFile(port, bytes.data(), static_cast<DWORD>(bytes.size()), &written, &write));
    EXPECT_EQ(written, bytes.size());
  }

  FarEnd far{2};
  HANDLE port = INVALID_HANDLE_VALUE;
  OVERLAPPED write{};
};

TEST_F(PortTransfer, WritesArriveInOrderAndCompleteTheirRecordAtOnce) {
  std::string expected;
  for (int i = 0; i < 20; ++i) {
    std::string chunk = pattern(100 + static_cast<size_t>(i), static_cast<char>('A' + i));
    writeOverlapped(chunk);
    // Completed before WriteFile returned: success, whole length, event set.
    DWORD transferred = 0;
    EXPECT_TRUE(GetOverlappedResult(port, &write, &transferred, FALSE));
    EXPECT_EQ(transferred, chunk.size());
    EXPECT_EQ(WaitForSingleObject(write.hEvent, 0), WAIT_OBJECT_0);
    // The caller may reuse its buffer at once.
    chunk.assign(chunk.size(), 'X');
    expected += pattern(100 + static_cast<size_t>(i), static_cast<char>('A' + i));
  }
  EXPECT_EQ(far.Receive(expected.size()), expected);
}

TEST_F(PortTransfer, WriteWhileTheFarEndDoesNotReadReturnsAtOnceAndArrivesLater) {
  // More than a pseudo-terminal buffers, so most of it waits in the port.
  const std::string big = pattern(1 << 20, 'a');
  std::thread writer([&] { writeOverlapped(big); });
  writer.join();  // would hang here if WriteFile waited for the far end
  writeOverlapped("tail");
  EXPECT_EQ(far.Receive(big.size() + 4, std::chrono::seconds(60)), big + "tail");
}

TEST_F(PortTransfer, ReadReturnsExactlyTheQueuedBytesAndNeverWaits) {
  far.Send("0123456789");
  ASSERT_TRUE(WaitUntil([&] { return QueuedInput(port) == 10; }));
  char buffer[64] = {};
  DWORD read = 99;
  OVERLAPPED record{};
  record.hEvent = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  ASSERT_TRUE(ReadFile(port, buffer, 4, &read, &record));
  EXPECT_EQ(std::string(buffer, read), "0123");
  DWORD transferred = 0;
  EXPECT_TRUE(GetOverlappedResult(port, &record, &transferred, FALSE));
  EXPECT_EQ(transferred, 4u);
  EXPECT_EQ(readQueued(port), "456789");
  // An empty queue gives 0 bytes at once, without leaving a read behind.
  ASSERT_TRUE(ReadFile(port, buffer, sizeof buffer, &read, &record));
  EXPECT_EQ(read, 0u);
  far.Send("late");
  ASSERT_TRUE(WaitUntil([&] { return QueuedInput(port) == 4; }));
  EXPECT_EQ(std::string(buffer, 4), "0123") << "an earlier read wrote into the buffer later";
  CloseHandle(record.hEvent);
}

TEST_F(PortTransfer, InputBeyondTheQueueWaitsInTheDeviceAndIsNotLost) {
  const std::string input = pattern(20000, '0');
  std::thread sender([&] { far.Send(input); });
  std::string received;
  ASSERT_TRUE(WaitUntil(
      [&] {
        received += readQueued(port);
        return received.size() >= input.size();
      },
      std::chrono::seconds(30)));
  sender.join();
  EXPECT_EQ(received, input);
}

TEST_F(PortTransfer, WriteThatOutlastsTheWriteTimeOutsIsDroppedAndLaterWritesStillGo) {
  COMMTIMEOUTS timeouts{};
  timeouts.WriteTotalTimeoutConstant = 200;
  ASSERT_TRUE(SetCommTimeouts(port, &timeouts));
  const std::string big = pattern(4 << 20, 'a');
  writeOverlapped(big);
  // Nobody reads: the write cannot finish and is dropped after its time.
  ASSERT_TRUE(WaitUntil([&] {
    COMSTAT status{};
    DWORD errors = 0;
    ClearCommError(port, &errors, &status);
    return status.cbOutQue < big.size() / 2;
  }));
  std::this_thread::sleep_for(milliseconds(300));
  writeOverlapped("after");
  const std::string arrived = far.ReceiveFor(std::chrono::seconds(3));
  ASSERT_GE(arrived.size(), 5u);
  EXPECT_LT(arrived.size(), big.size());
  EXPECT_EQ(arrived.substr(arrived.size() - 5), "after");
  EXPECT_EQ(arrived.substr(0, arrived.size() - 5), big.substr(0, arrived.size() - 5));
}

TEST_F(PortTransfer, WriteWithoutARecordWaitsUntilWritten) {
  DWORD written = 0;
  std::thread reader([&] { EXPECT_EQ(far.Receive(6), "direct"); });
  EXPECT_TRUE(WriteFile(port, "direct", 6, &written, nullptr));
  EXPECT_EQ(written, 6u);
  reader.join();
}

TEST_F(PortTransfer, PurgeDropsQueuedInputAndQueuedOutput) {
  far.Send("stale input");
  ASSERT_TRUE(WaitUntil([&] { return QueuedInput(port) == 11; }));
  ASSERT_TRUE(PurgeComm(port, PURGE_RXABORT | PURGE_RXCLEAR));
  EXPECT_EQ(QueuedInput(port), 0u);
  far.Send("fresh");
  ASSERT_TRUE(WaitUntil([&] { return QueuedInput(port) == 5; }));
  EXPECT_EQ(readQueued(port), "fresh");

  // Fill the line so that output stays queued here, then drop it.
  writeOverlapped(pattern(2 << 20, 'q'));
  ASSERT_TRUE(PurgeComm(port, PURGE_TXABORT | PURGE_TXCLEAR));
  COMSTAT status{};
  ASSERT_TRUE(ClearCommError(port, nullptr, &status));
  EXPECT_EQ(status.cbOutQue, 0u);
  far.ReceiveFor(milliseconds(500));  // whatever had reached the device
  writeOverlapped("next");
  EXPECT_EQ(far.Receive(4), "next");

  SetLastError(0);
  EXPECT_FALSE(PurgeComm(port, 0x10));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
}

}  // namespace

namespace {

// A second at 3 Mbaud arrives while the program does not read: the port
// takes it all off the device, which on a real line would otherwise overrun.
TEST_F(PortTransfer, TheInputQueueTakesASecondOfTheFastestLineWithoutAReader) {
  const size_t second = 300'000;
  std::string sent;
  while (sent.size() < second) sent += pattern(1000, static_cast<char>('a' + sent.size() / 1000 % 20));
  sent.resize(second);
  std::thread sender([&] { far.Send(sent); });
  EXPECT_TRUE(WaitUntil([&] { return QueuedInput(port) == second; }, std::chrono::seconds(20)))
      << QueuedInput(port) << " bytes queued";
  sender.join();
  std::string received(second, '\0');
  DWORD read = 0;
  OVERLAPPED record{};
  record.hEvent = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  ASSERT_TRUE(ReadFile(port, received.data(), static_cast<DWORD>(second), &read, &record));
  CloseHandle(record.hEvent);
  EXPECT_EQ(read, second);
  EXPECT_TRUE(received == sent);
}

// The device is read whoever holds what: a thread preempted while it holds
// the layer's wait lock (every wait and event goes through it) stands for
// a busy machine. The port's watcher waits for an event, which the first
// arrival completes under that lock; the far end writes far more than a
// pseudo-terminal buffers, and the port still takes every byte at once.
TEST_F(PortTransfer, TheDeviceIsReadWhileAnotherThreadHoldsTheWaitLock) {
  ASSERT_TRUE(SetCommMask(port, EV_RXCHAR));
  EventWait wait;
  ASSERT_FALSE(wait.start(port));
  ASSERT_EQ(wait.lastError, static_cast<DWORD>(ERROR_IO_PENDING));
  const std::string sent = pattern(200'000, 'A');
  size_t taken = 0;
  {
    std::lock_guard<std::mutex> hold(platform::waitLock());
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (taken < sent.size() && std::chrono::steady_clock::now() < deadline) {
      const ssize_t count = ::write(far.Master(), sent.data() + taken, std::min<size_t>(4096, sent.size() - taken));
      if (count > 0)
        taken += static_cast<size_t>(count);
      else
        std::this_thread::sleep_for(milliseconds(1));
    }
  }
  EXPECT_EQ(taken, sent.size()) << "the line was not read while the lock was held";
  EXPECT_TRUE(wait.finished());
  std::string received;
  ASSERT_TRUE(WaitUntil([&] {
    received += readQueued(port);
    return received.size() >= sent.size();
  }));
  EXPECT_TRUE(received == sent);
}

}  // namespace
