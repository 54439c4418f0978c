// When a port's bytes arrived: each read(2) of the port's reader thread keeps
// its time with its bytes, and a reader asks for the times of what it read,
// however late it reads and however it splits the queue.
#include <kestrix/serial_arrivals.h>

#include <gtest/gtest.h>

#include <thread>
#include <vector>

#include "port_calls.h"
#include "queued_input.h"
#include "shared_ports_folder.h"

namespace {
using namespace serial_test;
using serial_lines::QueuedInput;
using std::chrono::milliseconds;

ULONGLONG Now() {
  FILETIME now;
  GetSystemTimePreciseAsFileTime(&now);
  return (static_cast<ULONGLONG>(now.dwHighDateTime) << 32) | now.dwLowDateTime;
}

ULONGLONG TimeOf(const SERIAL_ARRIVAL& arrival) {
  return (static_cast<ULONGLONG>(arrival.ftArrival.dwHighDateTime) << 32) | arrival.ftArrival.dwLowDateTime;
}

constexpr ULONGLONG kIntervalsPerMs = 10000;

class PortArrivals : public ::testing::Test {
 protected:
  void SetUp() override {
    port = openPort(5);
    ASSERT_NE(port, INVALID_HANDLE_VALUE);
  }
  void TearDown() override { CloseHandle(port); }

  // Sends from the far end and waits until the port holds `queued` bytes.
  void SendAndWait(const std::string& bytes, DWORD queued) {
    far.Send(bytes);
    ASSERT_TRUE(serial_lines::WaitUntil([&] { return QueuedInput(port) == queued; }));
  }
  std::string Read(DWORD count) {
    std::string bytes(count, '\0');
    DWORD read = 0;
    OVERLAPPED record{};
    EXPECT_TRUE(ReadFile(port, bytes.data(), count, &read, &record));
    bytes.resize(read);
    return bytes;
  }
  std::vector<SERIAL_ARRIVAL> Arrivals(DWORD room = 64) {
    std::vector<SERIAL_ARRIVAL> arrivals(room);
    DWORD returned = 0;
    EXPECT_TRUE(DeviceIoControl(port, IOCTL_SERIAL_GET_READ_ARRIVALS, nullptr, 0, arrivals.data(),
                                room * sizeof(SERIAL_ARRIVAL), &returned, nullptr));
    arrivals.resize(returned / sizeof(SERIAL_ARRIVAL));
    return arrivals;
  }

  FarEnd far{5};
  HANDLE port = INVALID_HANDLE_VALUE;
};

TEST_F(PortArrivals, BytesReadTogetherKeepTheTimesTheyLeftTheDevice) {
  const ULONGLONG start = Now();
  SendAndWait("first\n", 6);
  std::this_thread::sleep_for(milliseconds(30));
  const ULONGLONG between = Now();
  SendAndWait("second\n", 13);
  std::this_thread::sleep_for(milliseconds(30));  // the reader is late

  EXPECT_EQ(Read(13), "first\nsecond\n");
  const std::vector<SERIAL_ARRIVAL> arrivals = Arrivals();
  ASSERT_EQ(arrivals.size(), 2u);
  EXPECT_EQ(arrivals[0].dwBytes, 6u);
  EXPECT_EQ(arrivals[1].dwBytes, 7u);
  EXPECT_GE(TimeOf(arrivals[0]), start);
  EXPECT_LT(TimeOf(arrivals[0]), between);
  EXPECT_GE(TimeOf(arrivals[1]), between);
  EXPECT_LT(TimeOf(arrivals[1]), Now() - 25 * kIntervalsPerMs) << "the read's own time, not the arrival's";
}

TEST_F(PortArrivals, ReadsThatSplitAnArrivalShareItsTimeAndEachReadReportsOnlyItsOwn) {
  SendAndWait("abcd", 4);
  std::this_thread::sleep_for(milliseconds(5));
  SendAndWait("ef", 6);
  EXPECT_EQ(Read(3), "abc");
  const std::vector<SERIAL_ARRIVAL> first = Arrivals();
  ASSERT_EQ(first.size(), 1u);
  EXPECT_EQ(first[0].dwBytes, 3u);
  EXPECT_EQ(Read(3), "def");
  const std::vector<SERIAL_ARRIVAL> second = Arrivals();
  ASSERT_EQ(second.size(), 2u);
  EXPECT_EQ(second[0].dwBytes, 1u);
  EXPECT_EQ(TimeOf(second[0]), TimeOf(first[0]));
  EXPECT_EQ(second[1].dwBytes, 2u);
  EXPECT_GT(TimeOf(second[1]), TimeOf(first[0]));
  // A read that found nothing has no arrivals.
  EXPECT_EQ(Read(8), "");
  EXPECT_TRUE(Arrivals().empty());
}

TEST_F(PortArrivals, AStreamingLinesPiecesAreReadEachAsItComesWhileTheirEventsAreGathered) {
  // Pieces of a streaming line (32 bytes and more): their events are
  // gathered, their reads are not.
  const std::string piece(40, 'x');
  for (int i = 0; i < 3; ++i) {
    far.Send(piece);
    std::this_thread::sleep_for(milliseconds(40));
  }
  ASSERT_TRUE(serial_lines::WaitUntil([&] { return QueuedInput(port) == 120; }));
  EXPECT_EQ(Read(120).size(), 120u);
  const std::vector<SERIAL_ARRIVAL> arrivals = Arrivals();
  ASSERT_EQ(arrivals.size(), 3u);
  for (int i = 0; i < 3; ++i) EXPECT_EQ(arrivals[i].dwBytes, 40u);
  for (int i = 1; i < 3; ++i) EXPECT_GT(TimeOf(arrivals[i]), TimeOf(arrivals[i - 1]));
}

TEST_F(PortArrivals, APurgeForgetsTheDroppedBytesArrivals) {
  SendAndWait("dropped", 7);
  ASSERT_TRUE(PurgeComm(port, PURGE_RXCLEAR));
  const ULONGLONG afterPurge = Now();
  SendAndWait("kept", 4);
  EXPECT_EQ(Read(4), "kept");
  const std::vector<SERIAL_ARRIVAL> arrivals = Arrivals();
  ASSERT_EQ(arrivals.size(), 1u);
  EXPECT_EQ(arrivals[0].dwBytes, 4u);
  EXPECT_GE(TimeOf(arrivals[0]), afterPurge);
}

TEST_F(PortArrivals, ArrivalsBeyondTheCallersRoomAreCountedIntoItsLast) {
  for (int i = 0; i < 5; ++i) {
    SendAndWait("ab", static_cast<DWORD>(2 * (i + 1)));
    std::this_thread::sleep_for(milliseconds(2));
  }
  EXPECT_EQ(Read(10).size(), 10u);
  const std::vector<SERIAL_ARRIVAL> arrivals = Arrivals(3);
  ASSERT_EQ(arrivals.size(), 3u);
  EXPECT_EQ(arrivals[0].dwBytes, 2u);
  EXPECT_EQ(arrivals[1].dwBytes, 2u);
  EXPECT_EQ(arrivals[2].dwBytes, 6u);

  DWORD returned = 0;
  SERIAL_ARRIVAL arrival{};
  EXPECT_FALSE(DeviceIoControl(port, IOCTL_SERIAL_GET_READ_ARRIVALS, nullptr, 0, &arrival, sizeof arrival - 1,
                               &returned, nullptr));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
}

TEST_F(PortArrivals, CodesADeviceDoesNotKnowAreRefusedAsWindowsDriversRefuseThem) {
  DWORD returned = 0;
  EXPECT_FALSE(DeviceIoControl(port, CTL_CODE(FILE_DEVICE_SERIAL_PORT, 0x8ff, METHOD_BUFFERED, FILE_ANY_ACCESS),
                               nullptr, 0, nullptr, 0, &returned, nullptr));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_FUNCTION));
  DWORD on = 1;

  char file[] = "/tmp/kestrix-arrivals-XXXXXX";
  const int fd = mkstemp(file);
  ASSERT_GE(fd, 0);
  close(fd);
  const HANDLE plain = CreateFileA(file, GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(plain, INVALID_HANDLE_VALUE);
  EXPECT_FALSE(DeviceIoControl(plain, IOCTL_SERIAL_GET_READ_ARRIVALS, nullptr, 0, &on, sizeof on, &returned, nullptr));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_FUNCTION));
  CloseHandle(plain);
  unlink(file);
}

}  // namespace
