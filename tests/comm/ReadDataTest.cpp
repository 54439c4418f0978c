// The received-data reader: bytes gathered on the watch thread reach the
// window as counted blocks, one per delivery.
#include <kestrix/platform_testing.h>

#include <memory>
#include <stdexcept>
#include <thread>

#include "ChannelTest.h"
#include "LogRecordLines.h"
#include "LogRecords.h"

namespace {

class ReadDataTest : public ChannelTest {
 protected:
  // Sends the bytes from COM<number>'s far end; true once the channel has
  // gathered them.
  bool SendAndGather(ReadData& channel, DWORD number, const std::string& bytes) {
    const DWORD expected = channel._dwBytesRead + static_cast<DWORD>(bytes.size());
    SendFromFarEnd(number, bytes);
    return WaitUntil([&] { return channel._dwBytesRead >= expected; });
  }

  static DWORD BufferLength(ReadData& channel) {
    InnerLocker lock(&channel._Lock);
    return channel._dwBufferLen;
  }

  std::vector<PostedMessage> ReceivedBlocks() const { return Posted(kReceivedDataMessage); }

  static std::string Text(const PostedMessage& message) {
    return std::string(message.bytes.begin(), message.bytes.end());
  }

  // Two blocks reached the window: the earlier opening's last, read from
  // COM<first>, then the next opening's first.
  void ExpectTwoOpenings(const std::string& before, DWORD first, const std::string& after) {
    const std::vector<PostedMessage> blocks = ReceivedBlocks();
    ASSERT_EQ(blocks.size(), 2u);
    EXPECT_EQ(Text(blocks[0]), before);
    EXPECT_EQ(blocks[0].wParam, first);
    EXPECT_TRUE(blocks[0].last);
    EXPECT_EQ(Text(blocks[1]), after) << "nothing of the earlier opening";
    EXPECT_EQ(blocks[1].opening, blocks[0].opening + 1);
  }
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
  ASSERT_TRUE(SendAndGather(channel, 3, "ABCDEFGHIJ"));
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
  ASSERT_TRUE(SendAndGather(channel, 3, "abc"));
  ASSERT_TRUE(SendAndGather(channel, 3, "defg"));
  channel.DoWork(nullptr);
  blocks = ReceivedBlocks();
  ASSERT_EQ(blocks.size(), 2u);
  EXPECT_EQ(Text(blocks[1]), "abcdefg");
  EXPECT_EQ(channel._dwDelivered, 17u);
}

ULONGLONG Now() {
  FILETIME now;
  GetSystemTimePreciseAsFileTime(&now);
  return (static_cast<ULONGLONG>(now.dwHighDateTime) << 32) | now.dwLowDateTime;
}

ULONGLONG TimeOf(const ReadMark& mark) {
  return (static_cast<ULONGLONG>(mark.ftTime.dwHighDateTime) << 32) | mark.ftTime.dwLowDateTime;
}

TEST_F(ReadDataTest, EachReadOfABlockCarriesTheTimeItWasTaken) {
  ReadData channel;
  OpenChannel(channel, 3);
  const ULONGLONG start = Now();
  ASSERT_TRUE(SendAndGather(channel, 3, "abc"));
  const ULONGLONG between = Now();
  ASSERT_TRUE(SendAndGather(channel, 3, "defg"));
  const ULONGLONG end = Now();
  channel.DoWork(nullptr);

  const std::vector<PostedMessage> blocks = ReceivedBlocks();
  ASSERT_EQ(blocks.size(), 1u);
  ASSERT_EQ(blocks[0].marks.size(), 2u);
  EXPECT_EQ(blocks[0].marks[0].dwEnd, 3u);
  EXPECT_EQ(blocks[0].marks[1].dwEnd, 7u);
  EXPECT_GE(TimeOf(blocks[0].marks[0]), start);
  EXPECT_LE(TimeOf(blocks[0].marks[0]), between);
  EXPECT_GE(TimeOf(blocks[0].marks[1]), between);
  EXPECT_LE(TimeOf(blocks[0].marks[1]), end);

  // The next block's marks start again from its own first byte.
  ASSERT_TRUE(SendAndGather(channel, 3, "h"));
  channel.DoWork(nullptr);
  const std::vector<PostedMessage> next = ReceivedBlocks();
  ASSERT_EQ(next.size(), 2u);
  ASSERT_EQ(next[1].marks.size(), 1u);
  EXPECT_EQ(next[1].marks[0].dwEnd, 1u);
  EXPECT_GE(TimeOf(next[1].marks[0]), end);
}

TEST_F(ReadDataTest, ArrivalsReadLateTogetherKeepTheTimesThePortReadThem) {
  // A reader late by tens of milliseconds (a busy machine) takes two
  // arrivals in one read: each keeps the time its bytes left the device.
  ReadData channel;
  channel._bStartWatcher = false;  // only the delivery reads
  OpenChannel(channel, 3);
  const auto waitQueued = [&](DWORD count) {
    return WaitUntil([&] {
      COMSTAT status = {};
      return cxComm::ClearLineErrors(channel._hComm, &status) && status.cbInQue == count;
    });
  };
  const ULONGLONG start = Now();
  SendFromFarEnd(3, "t=21.5\r\n");
  ASSERT_TRUE(waitQueued(8));
  std::this_thread::sleep_for(std::chrono::milliseconds(20));
  const ULONGLONG between = Now();
  SendFromFarEnd(3, "t=21.6\r\n");
  ASSERT_TRUE(waitQueued(16));
  std::this_thread::sleep_for(std::chrono::milliseconds(20));
  const ULONGLONG read = Now();
  channel.DoWork(nullptr);

  const std::vector<PostedMessage> blocks = ReceivedBlocks();
  ASSERT_EQ(blocks.size(), 1u);
  ASSERT_EQ(blocks[0].marks.size(), 2u);
  EXPECT_EQ(blocks[0].marks[0].dwEnd, 8u);
  EXPECT_EQ(blocks[0].marks[1].dwEnd, 16u);
  EXPECT_GE(TimeOf(blocks[0].marks[0]), start);
  EXPECT_LT(TimeOf(blocks[0].marks[0]), between);
  EXPECT_GE(TimeOf(blocks[0].marks[1]), between);
  EXPECT_LT(TimeOf(blocks[0].marks[1]), read);
}

TEST_F(ReadDataTest, ReadsBeyondTheMarksAreCountedIntoTheLastMark) {
  ReadData channel;
  OpenChannel(channel, 3);
  for (DWORD read = 0; read < kMaxReadMarks + 3; ++read) ASSERT_TRUE(SendAndGather(channel, 3, "xy"));
  channel.DoWork(nullptr);
  const std::vector<PostedMessage> blocks = ReceivedBlocks();
  ASSERT_EQ(blocks.size(), 1u);
  ASSERT_EQ(blocks[0].marks.size(), kMaxReadMarks);
  EXPECT_EQ(blocks[0].marks.back().dwEnd, blocks[0].blockCount);
  EXPECT_EQ(blocks[0].blockCount, 2 * (kMaxReadMarks + 3));
  for (DWORD mark = 1; mark < kMaxReadMarks; ++mark) {
    EXPECT_GT(blocks[0].marks[mark].dwEnd, blocks[0].marks[mark - 1].dwEnd);
    EXPECT_GE(TimeOf(blocks[0].marks[mark]), TimeOf(blocks[0].marks[mark - 1]));
  }
}

TEST_F(ReadDataTest, ADeliveryTakesWhatThePortHoldsBeforeTheWatcherIsTold) {
  // No watcher: the port may hold bytes it has not reported yet, and the
  // tick's delivery must not leave them for the next tick.
  ReadData channel;
  channel._bStartWatcher = false;
  OpenChannel(channel, 3);
  SendFromFarEnd(3, "held");
  ASSERT_TRUE(WaitUntil([&] {
    COMSTAT status = {};
    return cxComm::ClearLineErrors(channel._hComm, &status) && status.cbInQue == 4;
  }));
  channel.DoWork(nullptr);
  const std::vector<PostedMessage> blocks = ReceivedBlocks();
  ASSERT_EQ(blocks.size(), 1u);
  EXPECT_EQ(Text(blocks[0]), "held");
  EXPECT_EQ(channel._dwDelivered, 4u);
}

TEST_F(ReadDataTest, ADeliveryWithNothingGatheredPostsNothing) {
  ReadData channel;
  OpenChannel(channel, 4);
  channel.DoWork(nullptr);
  EXPECT_TRUE(ReceivedBlocks().empty());

  ASSERT_TRUE(SendAndGather(channel, 4, "once"));
  channel.DoWork(nullptr);
  channel.DoWork(nullptr);  // nothing new since the last one
  EXPECT_EQ(ReceivedBlocks().size(), 1u);
  EXPECT_EQ(channel._dwDelivered, 4u);
}

TEST_F(ReadDataTest, ZeroBytesReachTheWindowWithTheBytesAfterThem) {
  ReadData channel;
  OpenChannel(channel, 5);
  ASSERT_TRUE(SendAndGather(channel, 5, std::string("A\0B", 3)));
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
    ASSERT_TRUE(SendAndGather(channel, 8, "gone"));
    channel.DoWork(nullptr);
    EXPECT_EQ(BufferLength(channel), 0u);
    EXPECT_EQ(channel._dwDelivered, gathered + 4);
  }
  EXPECT_TRUE(ReceivedBlocks().empty());
}

TEST_F(ReadDataTest, ClosingHandsOnWhatWasReadAsTheOpeningsLastBlockBeforeTheHandleGoes) {
  ReadData channel;
  OpenChannel(channel, 9);
  ASSERT_TRUE(SendAndGather(channel, 9, "tail"));
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
  ASSERT_TRUE(SendAndGather(channel, 11, "old"));
  // Opened again on another number without closing first.
  OpenChannel(channel, 12);
  ASSERT_TRUE(SendAndGather(channel, 12, "new"));
  channel.DoWork(nullptr);

  ExpectTwoOpenings("old", 11, "new");
  const std::vector<PostedMessage> blocks = ReceivedBlocks();
  ASSERT_EQ(blocks.size(), 2u);
  EXPECT_EQ(blocks[1].wParam, 12u);
  EXPECT_FALSE(blocks[1].last);
}

TEST_F(ReadDataTest, BytesOfAFailedLastDeliveryGoOutAsTheirOpeningsBeforeTheNextOpeningStarts) {
  ReadData channel;
  OpenChannel(channel, 13);
  ASSERT_TRUE(SendAndGather(channel, 13, "kept"));
  window_->SetBeforePost([] { throw std::runtime_error("window refused"); });
  channel.Close();
  window_->SetBeforePost(nullptr);
  OpenChannel(channel, 14);
  ASSERT_TRUE(SendAndGather(channel, 14, "next"));
  channel.DoWork(nullptr);
  ExpectTwoOpenings("kept", 13, "next");
  EXPECT_EQ(channel._dwDelivered, 8u);
}

TEST_F(ReadDataTest, AFailedDeliveryIsLoggedOnceAndKeepsItsBytesForTheNext) {
  ReadData channel;
  OpenChannel(channel, 10);
  ASSERT_TRUE(SendAndGather(channel, 10, "keep"));

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

namespace {

struct CollectingTap : ReceiveTap {
  void Tapped(const BYTE* pBytes, DWORD dwCount) override {
    bytes.append(reinterpret_cast<const char*>(pBytes), dwCount);
  }
  std::string bytes;
};

}  // namespace

// A tap hears every byte in order as it is read, before any delivery, also
// past the buffer's size (a full buffer's delivery lets the reads go on);
// once removed it hears nothing.
TEST_F(ReadDataTest, ATapHearsEveryByteAsItIsReadUntilRemoved) {
  ReadData channel;
  OpenChannel(channel, 3);
  CollectingTap tap;
  channel.AddTap(&tap);
  const std::string burst = Pattern(3 * kReceiveBufferSize + 17);
  SendFromFarEnd(3, burst);
  ASSERT_TRUE(WaitUntil([&] {
    InnerLocker lock(&channel._Lock);
    return tap.bytes.size() >= burst.size();
  }));
  EXPECT_EQ(tap.bytes, burst);
  channel.RemoveTap(&tap);
  ASSERT_TRUE(SendAndGather(channel, 3, "after"));
  channel.DoWork(nullptr);
  EXPECT_EQ(tap.bytes, burst) << "a removed tap hears nothing";
}
