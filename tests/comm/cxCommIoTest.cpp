// Writing to and reading from a port, with the far end of the line played
// by the test.
#include <string>
#include <thread>

#include "PortIoTest.h"
#include "RecordingPort.h"
#include "wine_differences.h"

namespace {

TEST_F(PortIoTest, AWriteToAClosedPortSendsNothing) {
  AddFarEnd(1);
  RecordingPort port;
  EXPECT_EQ(port.Write("never opened"), 0u);
  ASSERT_TRUE(port.Open(1, "9600,N,8,1"));
  port.Close();
  EXPECT_EQ(port.Write("closed"), 0u);
  const BYTE bytes[] = {1, 2, 3};
  EXPECT_EQ(port.Write(bytes, sizeof bytes), 0u);
  EXPECT_TRUE(NothingArrivesAtFarEnd(1));
  EXPECT_EQ(port._dwBytesWritten, 0u);
}

TEST_F(PortIoTest, WritesSendTheirBytesInOrderAndAreCounted) {
  RecordingPort port;
  OpenUnwatched(port, 2);
  EXPECT_EQ(port.Write("AT\r"), 3u);  // the text without its terminating zero
  const BYTE binary[] = {0x00, 0xFF, 0x0A, 0x0D, 0x11, 0x13};
  EXPECT_EQ(port.Write(binary, sizeof binary), 6u);
  EXPECT_EQ(ReceiveAtFarEnd(2, 9), std::string("AT\r\x00\xFF\x0A\x0D\x11\x13", 9));
  EXPECT_EQ(port._dwBytesWritten, 9u);
}

// A line slower than the messages given to it (a 128-byte message a second
// at 150 baud, or a far end that stops taking bytes): every message waits
// its turn and goes out whole, however long the wait, though each message's
// buffer is gone as soon as Write returns.
TEST_F(PortIoTest, AMessageThatWaitsLongForTheLineIsNeverCut) {
  AddFarEnd(15);
  RecordingPort port;
  port._bStartWatcher = false;
  ASSERT_TRUE(port.Open(15, "150,N,8,1"));
  std::string sent;
  for (int message = 0; message < 600; ++message) {
    std::string bytes(128, static_cast<char>('A' + message % 26));
    bytes[0] = static_cast<char>(message & 0xFF);
    ASSERT_EQ(port.Write(bytes.data(), static_cast<DWORD>(bytes.size())), 128u);
    sent += bytes;
  }
  // Longer than a message's old time-out of 1 ms a byte and one second.
  std::this_thread::sleep_for(std::chrono::milliseconds(1500));
  const std::string received = ReceiveAtFarEnd(15, sent.size());
  EXPECT_EQ(received.size(), sent.size());
  EXPECT_TRUE(received == sent) << "bytes lost or out of order";
  COMMTIMEOUTS timeouts = {};
  ASSERT_TRUE(GetCommTimeouts(port._hComm, &timeouts));
  EXPECT_EQ(timeouts.WriteTotalTimeoutMultiplier, 0u);
  EXPECT_EQ(timeouts.WriteTotalTimeoutConstant, 0u);
}

TEST_F(PortIoTest, WritesWhileTheFarEndIsNotReadingReturnAndArriveInOrderLater) {
  RecordingPort port;
  OpenUnwatched(port, 3);
  // More than the pseudo-terminal takes in before its reader must drain
  // it: a write that waited for the line would never come back.
  std::string sent;
  for (int chunk = 0; chunk < 32; ++chunk) {
    std::string bytes(256, static_cast<char>('a' + chunk % 26));
    bytes[0] = static_cast<char>(chunk);
    EXPECT_EQ(port.Write(bytes.data(), static_cast<DWORD>(bytes.size())), 256u);
    sent += bytes;
  }
  EXPECT_EQ(port._dwBytesWritten, sent.size());
  EXPECT_EQ(ReceiveAtFarEnd(3, sent.size()), sent);
}

TEST_F(PortIoTest, FarEndBytesArriveThroughReadAndAreCounted) {
  RecordingPort port;
  OpenUnwatched(port, 4);
  const std::string bytes("hello\0port\r\n", 12);
  SendFromFarEnd(4, bytes);
  EXPECT_EQ(ReadPort(port, bytes.size()), bytes);
  EXPECT_EQ(port._dwBytesRead, bytes.size());
}

TEST_F(PortIoTest, ReadTakesNoMoreThanAskedAndLeavesTheRestQueued) {
  RecordingPort port;
  OpenUnwatched(port, 5);
  SendFromFarEnd(5, "0123456789");
  ASSERT_TRUE(WaitUntil([&] { return QueuedInput(port._hComm) == 10; }));
  char buffer[16] = {};
  EXPECT_EQ(port.Read(buffer, 4), 4u);
  EXPECT_EQ(std::string(buffer, 4), "0123");
  EXPECT_EQ(QueuedInput(port._hComm), 6u);
  EXPECT_EQ(port.Read(buffer, 0), 0u);
  EXPECT_EQ(port.Read(buffer, sizeof buffer), 6u);
  EXPECT_EQ(std::string(buffer, 6), "456789");
  EXPECT_EQ(port.Read(buffer, sizeof buffer), 0u);  // nothing queued
}

TEST_F(PortIoTest, AReadOfAClosedPortReadsNothing) {
  RecordingPort port;
  char buffer[8];
  EXPECT_EQ(port.Read(buffer, sizeof buffer), 0u);
  OpenUnwatched(port, 7);
  SendFromFarEnd(7, "lost");
  ASSERT_TRUE(WaitUntil([&] { return QueuedInput(port._hComm) == 4; }));
  port.Close();
  EXPECT_EQ(port.Read(buffer, sizeof buffer), 0u);
}

// Without the ports fixture: the dying child runs the test's set-up again and
// never its tear-down, which would leave a temporary ports folder behind.
TEST(PortIoDeathTest, WritingANullTextIsAProgrammingError) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  RecordingPort port;
  EXPECT_DEATH(port.Write(static_cast<const char*>(nullptr)), "szBuffer, file cxComm, line 276");
}

}  // namespace
