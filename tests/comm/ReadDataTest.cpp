// The received-data reader: bytes gathered on the watch thread reach the
// window as counted blocks, one per delivery.
#include <kestrix/platform_testing.h>

#include <memory>
#include <stdexcept>
#include <thread>

#include "FakeWindow.h"
#include "LogRecordLines.h"
#include "LogRecords.h"
#include "ReadData.h"
#include "serial_port_test.h"

namespace {

class ReadDataTest : public SerialPortTest {
 protected:
  void SetUp() override {
    SerialPortTest::SetUp();
    window_ = std::make_unique<FakeWindow>();
  }
  void TearDown() override {
    window_.reset();
    SerialPortTest::TearDown();
  }

  void OpenChannel(ReadData& channel, DWORD number) {
    AddFarEnd(number);
    channel._hTargetWnd = window_->Handle();
    ASSERT_TRUE(channel.Open(number, "9600,N,8,1"));
  }

  static bool WaitForGathered(ReadData& channel, DWORD count) {
    return WaitUntil([&] { return channel._dwBytesRead >= count; });
  }

  static DWORD BufferLength(ReadData& channel) {
    InnerLocker lock(&channel._Lock);
    return channel._dwBufferLen;
  }

  std::vector<PostedMessage> ReceivedBlocks() const {
    std::vector<PostedMessage> blocks;
    for (PostedMessage& message : window_->Messages()) {
      if (message.message == kReceivedDataMessage) blocks.push_back(std::move(message));
    }
    return blocks;
  }

  static std::string Text(const PostedMessage& message) {
    return std::string(message.bytes.begin(), message.bytes.end());
  }

  std::unique_ptr<FakeWindow> window_;
};

// Bytes that are never zero, in a pattern that shows order.
std::string Pattern(size_t length) {
  std::string bytes;
  for (size_t index = 0; index < length; ++index) bytes += static_cast<char>(1 + index % 251);
  return bytes;
}

TEST_F(ReadDataTest, BytesGatheredBetweenTwoDeliveriesArriveAsOneBlock) {
  ReadData channel;
  OpenChannel(channel, 3);
  SendFromFarEnd(3, "ABCDEFGHIJ");
  ASSERT_TRUE(WaitForGathered(channel, 10));
  channel.DoWork(nullptr);

  std::vector<PostedMessage> blocks = ReceivedBlocks();
  ASSERT_EQ(blocks.size(), 1u);
  EXPECT_EQ(blocks[0].hWnd, window_->Handle());
  EXPECT_EQ(blocks[0].wParam, 3u);
  EXPECT_EQ(blocks[0].blockCount, 10u);
  EXPECT_EQ(Text(blocks[0]), "ABCDEFGHIJ");
  EXPECT_EQ(channel._dwDelivered, 10u);
  EXPECT_EQ(BufferLength(channel), 0u);

  // Two arrivals before the next delivery make one block, in order.
  SendFromFarEnd(3, "abc");
  ASSERT_TRUE(WaitForGathered(channel, 13));
  SendFromFarEnd(3, "defg");
  ASSERT_TRUE(WaitForGathered(channel, 17));
  channel.DoWork(nullptr);
  blocks = ReceivedBlocks();
  ASSERT_EQ(blocks.size(), 2u);
  EXPECT_EQ(Text(blocks[1]), "abcdefg");
  EXPECT_EQ(channel._dwDelivered, 17u);
}

TEST_F(ReadDataTest, ADeliveryWithNothingGatheredPostsNothing) {
  ReadData channel;
  OpenChannel(channel, 4);
  channel.DoWork(nullptr);
  EXPECT_TRUE(ReceivedBlocks().empty());

  SendFromFarEnd(4, "once");
  ASSERT_TRUE(WaitForGathered(channel, 4));
  channel.DoWork(nullptr);
  channel.DoWork(nullptr);  // nothing new since the last one
  EXPECT_EQ(ReceivedBlocks().size(), 1u);
  EXPECT_EQ(channel._dwDelivered, 4u);
}

TEST_F(ReadDataTest, ZeroBytesReachTheWindowWithTheBytesAfterThem) {
  ReadData channel;
  OpenChannel(channel, 5);
  SendFromFarEnd(5, std::string("A\0B", 3));
  ASSERT_TRUE(WaitForGathered(channel, 3));
  channel.DoWork(nullptr);
  const std::vector<PostedMessage> blocks = ReceivedBlocks();
  ASSERT_EQ(blocks.size(), 1u);
  EXPECT_EQ(blocks[0].blockCount, 3u);
  EXPECT_EQ(Text(blocks[0]), std::string("A\0B", 3));
  EXPECT_EQ(channel._dwDelivered, 3u);
}

TEST_F(ReadDataTest, ABurstOfManyBuffersArrivesWholeAndInOrderWithoutWaitingForTicks) {
  ReadData channel;
  OpenChannel(channel, 6);
  const std::string burst = Pattern(100'000);
  SendFromFarEnd(6, burst);
  // Full buffers are delivered as they fill, and what waits in the port is
  // taken at once, with no tick and no further arrival.
  ASSERT_TRUE(WaitUntil([&] {
    return channel._dwBytesRead == burst.size() && channel._dwDelivered >= burst.size() - (kReceiveBufferSize - 1);
  })) << channel._dwDelivered;
  channel.DoWork(nullptr);  // the tick takes the last, partly filled buffer

  std::string received;
  for (const PostedMessage& block : ReceivedBlocks()) {
    EXPECT_EQ(block.wParam, 6u);
    received += Text(block);
  }
  EXPECT_EQ(received.size(), burst.size());
  EXPECT_TRUE(received == burst) << "whole and in order";
  EXPECT_EQ(channel._dwDelivered, burst.size());
}

TEST_F(ReadDataTest, ALineErrorOnArrivalDiscardsThoseBytesAndPostsNothingForThem) {
  ReadData channel;
  OpenChannel(channel, 7);
  std::this_thread::sleep_for(std::chrono::milliseconds(50));  // the watcher waits for events
  ASSERT_TRUE(InjectCommErrorsForTesting(channel._hComm, CE_RXPARITY));
  SendFromFarEnd(7, "xyz");
  // Clean bytes after them get through; keep sending until they do, so the
  // test does not depend on how the arrivals are grouped.
  ASSERT_TRUE(WaitUntil([&] {
    SendFromFarEnd(7, "ok");
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    return channel._dwBytesRead > 0;
  }));
  channel.DoWork(nullptr);
  const std::vector<PostedMessage> blocks = ReceivedBlocks();
  ASSERT_EQ(blocks.size(), 1u);
  const std::string text = Text(blocks[0]);
  EXPECT_EQ(text.find_first_not_of("ok"), std::string::npos) << text;
  EXPECT_EQ(text.substr(0, 2), "ok");
}

TEST_F(ReadDataTest, WithoutAWindowEachDeliveryEmptiesTheBufferWithoutAMessage) {
  ReadData channel;
  OpenChannel(channel, 8);
  for (HWND target : {static_cast<HWND>(nullptr), reinterpret_cast<HWND>(static_cast<uintptr_t>(0x999))}) {
    channel._hTargetWnd = target;
    const DWORD gathered = channel._dwBytesRead;
    SendFromFarEnd(8, "gone");
    ASSERT_TRUE(WaitForGathered(channel, gathered + 4));
    channel.DoWork(nullptr);
    EXPECT_EQ(BufferLength(channel), 0u);
    EXPECT_EQ(channel._dwDelivered, gathered + 4);
  }
  EXPECT_TRUE(ReceivedBlocks().empty());
}

TEST_F(ReadDataTest, ClosingHandsOnWhatWasReadAsTheOpeningsLastBlockBeforeTheHandleGoes) {
  ReadData channel;
  OpenChannel(channel, 9);
  SendFromFarEnd(9, "tail");
  ASSERT_TRUE(WaitForGathered(channel, 4));
  channel.Close();
  std::vector<PostedMessage> blocks = ReceivedBlocks();
  ASSERT_EQ(blocks.size(), 1u) << "posted by the close itself, not by a later tick";
  EXPECT_EQ(Text(blocks[0]), "tail");
  EXPECT_EQ(blocks[0].wParam, 9u);
  EXPECT_TRUE(blocks[0].last);
  EXPECT_EQ(blocks[0].channel, &channel);
  EXPECT_EQ(channel._dwDelivered, 4u);
  channel.DoWork(nullptr);
  EXPECT_EQ(ReceivedBlocks().size(), 1u) << "nothing is left for the next tick";

  // Closed with nothing gathered: an empty last block, so the window knows
  // the opening ended.
  OpenChannel(channel, 10);
  channel.Close();
  blocks = ReceivedBlocks();
  ASSERT_EQ(blocks.size(), 2u);
  EXPECT_EQ(blocks[1].blockCount, 0u);
  EXPECT_TRUE(blocks[1].last);
  EXPECT_NE(blocks[1].opening, blocks[0].opening);
}

TEST_F(ReadDataTest, AReopenOnAnotherPortStartsEmptyAndStampsItsBlocksWithTheNewOpening) {
  ReadData channel;
  OpenChannel(channel, 11);
  SendFromFarEnd(11, "old");
  ASSERT_TRUE(WaitForGathered(channel, 3));
  // Opened again on another number without closing first.
  OpenChannel(channel, 12);
  SendFromFarEnd(12, "new");
  ASSERT_TRUE(WaitForGathered(channel, 6));
  channel.DoWork(nullptr);

  const std::vector<PostedMessage> blocks = ReceivedBlocks();
  ASSERT_EQ(blocks.size(), 2u);
  EXPECT_EQ(Text(blocks[0]), "old");
  EXPECT_EQ(blocks[0].wParam, 11u);
  EXPECT_TRUE(blocks[0].last);
  EXPECT_EQ(Text(blocks[1]), "new") << "nothing of the earlier opening";
  EXPECT_EQ(blocks[1].wParam, 12u);
  EXPECT_FALSE(blocks[1].last);
  EXPECT_EQ(blocks[1].opening, blocks[0].opening + 1);
}

TEST_F(ReadDataTest, BytesOfAFailedLastDeliveryGoOutAsTheirOpeningsBeforeTheNextOpeningStarts) {
  ReadData channel;
  OpenChannel(channel, 13);
  SendFromFarEnd(13, "kept");
  ASSERT_TRUE(WaitForGathered(channel, 4));
  window_->SetBeforePost([] { throw std::runtime_error("window refused"); });
  channel.Close();
  window_->SetBeforePost(nullptr);
  OpenChannel(channel, 14);
  SendFromFarEnd(14, "next");
  ASSERT_TRUE(WaitForGathered(channel, 8));
  channel.DoWork(nullptr);
  const std::vector<PostedMessage> blocks = ReceivedBlocks();
  ASSERT_EQ(blocks.size(), 2u);
  EXPECT_EQ(Text(blocks[0]), "kept");
  EXPECT_EQ(blocks[0].wParam, 13u);
  EXPECT_TRUE(blocks[0].last);
  EXPECT_EQ(Text(blocks[1]), "next") << "nothing of the earlier opening";
  EXPECT_EQ(blocks[1].opening, blocks[0].opening + 1);
  EXPECT_EQ(channel._dwDelivered, 8u);
}

TEST_F(ReadDataTest, AFailedDeliveryIsLoggedOnceAndKeepsItsBytesForTheNext) {
  ReadData channel;
  OpenChannel(channel, 10);
  SendFromFarEnd(10, "keep");
  ASSERT_TRUE(WaitForGathered(channel, 4));

  const std::string reason = "window refused " + std::to_string(getpid());
  window_->SetBeforePost([&] { throw std::runtime_error(reason); });
  channel.DoWork(nullptr);
  const std::string exceptionRecord =
      "Exception ReadData(" + std::to_string(LogRecordLine::kDeliveryException) + "): " + reason;
  EXPECT_TRUE(WaitUntil([&] { return CountLogLines(exceptionRecord) == 1; }));

  const std::string unknownRecord =
      "Message ReadData(" + std::to_string(LogRecordLine::kDeliveryUnknown) + "): Unknow exception!";
  const int unknownBefore = CountLogLines(unknownRecord);
  window_->SetBeforePost([] { throw 42; });
  channel.DoWork(nullptr);
  EXPECT_TRUE(WaitUntil([&] { return CountLogLines(unknownRecord) == unknownBefore + 1; }));

  EXPECT_TRUE(ReceivedBlocks().empty());
  EXPECT_EQ(BufferLength(channel), 4u);
  EXPECT_EQ(channel._dwDelivered, 0u);

  window_->SetBeforePost(nullptr);
  channel.DoWork(nullptr);
  const std::vector<PostedMessage> blocks = ReceivedBlocks();
  ASSERT_EQ(blocks.size(), 1u);
  EXPECT_EQ(Text(blocks[0]), "keep");
  EXPECT_EQ(channel._dwDelivered, 4u);
  EXPECT_EQ(CountLogLines(exceptionRecord), 1);
}

}  // namespace
