// Ports closed and reopened while their far ends flood them and the worker
// thread keeps delivering: nothing is lost between the reader and the
// window, and nothing is touched after it is gone.
#include <fcntl.h>
#include <unistd.h>

#include <atomic>
#include <thread>

#include "FakeWindow.h"
#include "ReadData.h"
#include "TheWorkerThread.h"
#include "serial_port_test.h"

namespace {

class ReadDataStressTest : public SerialPortTest {};

// A work unit that tells when the worker has reached it.
class Marker : public WorkerThread::WorkImpl {
 public:
  Marker() : reached_(CreateEventA(nullptr, TRUE, FALSE, nullptr)) {}
  ~Marker() override { CloseHandle(reached_); }
  void DoWork(void*) override { SetEvent(reached_); }
  bool WaitReached() { return WaitForSingleObject(reached_, 30000) == WAIT_OBJECT_0; }

 private:
  HANDLE reached_;
};

void QueueDelivery(WorkerThread::WorkImpl& unit) {
  TheWorkerThread.AddItem(WorkerThread::InvokeObj, new WorkerThread::WorkItemObj{&unit, nullptr});
}

const char kFloodByte = 'F';

TEST_F(ReadDataStressTest, ClosingAndReopeningWhileFloodedAndDeliveringLosesNothingBetweenReaderAndWindow) {
  FakeWindow window;
  const DWORD numbers[] = {1, 2};
  ReadData channels[2];
  int farEnds[2];
  for (int index = 0; index < 2; ++index) {
    farEnds[index] = AddFarEnd(numbers[index]);
    channels[index]._hTargetWnd = window.Handle();
  }

  std::atomic<bool> stop{false};
  std::thread flood([&] {
    const std::string chunk(512, kFloodByte);
    while (!stop) {
      bool anySent = false;
      for (int fd : farEnds) anySent |= write(fd, chunk.data(), chunk.size()) > 0;
      if (!anySent) std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
  });
  std::thread timer([&] {
    while (!stop) {
      for (ReadData& channel : channels) QueueDelivery(channel);
      std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
  });

  for (int round = 0; round < 40; ++round) {
    for (int index = 0; index < 2; ++index) EXPECT_TRUE(channels[index].Open(numbers[index], "115200,N,8,1"));
    std::this_thread::sleep_for(std::chrono::milliseconds(3 + round % 7));
    for (ReadData& channel : channels) channel.Close();
  }
  stop = true;
  flood.join();
  timer.join();

  Marker marker;
  QueueDelivery(marker);
  ASSERT_TRUE(marker.WaitReached());
  for (ReadData& channel : channels) channel.DoWork(nullptr);

  DWORD posted[2] = {0, 0};
  for (const PostedMessage& message : window.Messages()) {
    ASSERT_EQ(message.message, kReceivedDataMessage);
    ASSERT_TRUE(message.wParam == 1 || message.wParam == 2);
    ASSERT_LE(message.blockCount, kReceiveBufferSize);
    posted[message.wParam - 1] += message.blockCount;
    for (BYTE byte : message.bytes) ASSERT_EQ(byte, kFloodByte);
  }
  for (int index = 0; index < 2; ++index) {
    EXPECT_GT(posted[index], 0u);
    EXPECT_EQ(posted[index], channels[index]._dwDelivered);
    EXPECT_EQ(channels[index]._dwDelivered, channels[index]._dwBytesRead);
  }
}

}  // namespace
