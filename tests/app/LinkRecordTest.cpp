// The link's record: runs of two ports become frames in the order their
// bytes arrived, whichever port's delivery comes first.
#include "LinkRecord.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

constexpr ULONGLONG kMs = kIntervalsPerMs;
constexpr ULONGLONG kT0 = 134000000000000000ULL;  // a moment in 2025

void AddRun(LinkRecord& record, int port, ULONGLONG time, const std::string& bytes, const char* name = nullptr) {
  record.Add(port, false, name ? name : (port == 0 ? "COM3" : "COM4"), time,
             reinterpret_cast<const BYTE*>(bytes.data()), bytes.size());
}

// The stored frames as "port:bytes".
std::vector<std::string> Rows(const LinkRecord& record) {
  std::vector<std::string> rows;
  for (const LinkFrame& frame : record.Frames())
    rows.push_back(std::to_string(frame.Port) + (frame.Sent ? "s:" : ":") + frame.Bytes);
  return rows;
}

class LinkRecordTest : public ::testing::Test {
 protected:
  void SetUp() override {
    record.SetFrameGap(0, 2 * kMs);
    record.SetFrameGap(1, 2 * kMs);
  }
  LinkRecord record;
};

TEST_F(LinkRecordTest, ClosePortsRunsTakeTheOrderOfTheirArrivalNotOfTheirDelivery) {
  // Port 1's delivery comes first, though port 0's bytes came 3 us and
  // 1 ms before its runs.
  AddRun(record, 1, kT0 + 3, "b1");
  AddRun(record, 1, kT0 + 10 * kMs, "b2");
  AddRun(record, 0, kT0, "a1");
  AddRun(record, 0, kT0 + 9 * kMs, "a2");
  AddRun(record, 0, kT0 + 20 * kMs, "a3");
  EXPECT_FALSE(record.Settle(kT0 + LinkRecord::kHold - 1));
  EXPECT_TRUE(record.Frames().empty()) << "nothing enters before its hold is over";

  ASSERT_TRUE(record.Settle(kT0 + 15 * kMs + LinkRecord::kHold));
  EXPECT_EQ(Rows(record), (std::vector<std::string>{"0:a1", "1:b1", "0:a2", "1:b2"}));
  record.Settle(kT0 + 60 * kMs + LinkRecord::kHold);
  EXPECT_EQ(Rows(record).back(), "0:a3");
  for (size_t index = 0; index < record.Frames().size(); ++index) EXPECT_EQ(record.Frames()[index].Sequence, index);
  EXPECT_EQ(record.LateFrames(), 0u);
}

TEST_F(LinkRecordTest, AFrameSplitAcrossDeliveriesIsOneFrameAndAGapAcrossThemEndsOne) {
  // One frame's reads in two deliveries, 1 ms apart: one frame.
  AddRun(record, 0, kT0, "\x01\x03");
  record.Settle(kT0 + kMs);  // a tick between the deliveries
  AddRun(record, 0, kT0 + kMs, std::string("\x00\x10", 2));
  // The next read comes 5 ms later, in a third delivery: a frame of its own.
  AddRun(record, 0, kT0 + 6 * kMs, "\x02");
  record.Settle(kT0 + 10 * kMs + LinkRecord::kHold);
  ASSERT_EQ(record.Frames().size(), 2u);
  EXPECT_EQ(record.Frames()[0].Bytes, std::string("\x01\x03\x00\x10", 4));
  EXPECT_EQ(record.Frames()[0].Start, kT0);
  EXPECT_EQ(record.Frames()[0].End, kT0 + kMs);
  EXPECT_EQ(record.Frames()[1].Bytes, "\x02");
  EXPECT_EQ(record.Frames()[1].Start, kT0 + 6 * kMs);

  // A frame that ends exactly at the gap goes on; one past it does not.
  AddRun(record, 1, kT0 + 100 * kMs, "x");
  AddRun(record, 1, kT0 + 102 * kMs, "y");
  AddRun(record, 1, kT0 + 104 * kMs + 1, "z");
  record.Settle(kT0 + 200 * kMs + LinkRecord::kHold);
  EXPECT_EQ(Rows(record), (std::vector<std::string>{std::string("0:\x01\x03\x00\x10", 6), "0:\x02", "1:xy", "1:z"}));
}

TEST_F(LinkRecordTest, AFrameThatKeepsGrowingIsCutAtItsHoldAndAtItsSize) {
  // A line that never pauses: its frame enters after kHold, and the bytes
  // after it start the next frame; no frame exceeds kMaxFrameBytes.
  ULONGLONG time = kT0;
  for (int read = 0; read < 800; ++read, time += kMs) AddRun(record, 0, time, std::string(4, 'q'));
  record.Settle(kT0 + LinkRecord::kHold);
  ASSERT_FALSE(record.Frames().empty());
  AddRun(record, 0, time, "r");
  record.Settle(time + LinkRecord::kHold);
  size_t total = 0;
  for (const LinkFrame& frame : record.Frames()) {
    EXPECT_LE(frame.Bytes.size(), LinkRecord::kMaxFrameBytes);
    total += frame.Bytes.size();
  }
  EXPECT_EQ(total, 800u * 4 + 1) << "every byte kept, once";
  EXPECT_EQ(record.Frames().back().Bytes.back(), 'r');
  EXPECT_EQ(record.LateFrames(), 0u);
}

TEST_F(LinkRecordTest, APortClosingAndOpeningAgainEndsItsFrameAndKeepsBothOpenings) {
  AddRun(record, 0, kT0, "before");
  record.EndFrames(0);  // closed: the next bytes, even at once, are another frame
  AddRun(record, 0, kT0 + 1, "after", "COM7");
  AddRun(record, 1, kT0 + 2, "other");
  // Another name on a frame that is still open also starts a new one.
  AddRun(record, 1, kT0 + 3, "renamed", "COM9");
  record.Settle(kT0 + 10 + LinkRecord::kHold);
  ASSERT_EQ(Rows(record), (std::vector<std::string>{"0:before", "0:after", "1:other", "1:renamed"}));
  EXPECT_EQ(record.Frames()[0].Name, "COM3");
  EXPECT_EQ(record.Frames()[1].Name, "COM7");
  EXPECT_EQ(record.Frames()[3].Name, "COM9");
}

TEST_F(LinkRecordTest, SendsAreFramesOfTheirOwnBesideTheSamePortsReceivedBytes) {
  AddRun(record, 0, kT0, "rx");
  record.Add(0, true, "COM3", kT0 + 1, reinterpret_cast<const BYTE*>("tx"), 2);
  AddRun(record, 0, kT0 + 2, "rx2");
  record.Settle(kT0 + 10 + LinkRecord::kHold);
  EXPECT_EQ(Rows(record), (std::vector<std::string>{"0:rxrx2", "0s:tx"}));
}

TEST_F(LinkRecordTest, ADeliveryLaterThanTheHoldIsKeptAndCounted) {
  AddRun(record, 0, kT0 + 10 * kMs, "early delivered");
  record.Settle(kT0 + 10 * kMs + LinkRecord::kHold);
  AddRun(record, 1, kT0, "late");
  record.Settle(kT0 + 20 * kMs + LinkRecord::kHold);
  EXPECT_EQ(Rows(record), (std::vector<std::string>{"0:early delivered", "1:late"}));
  EXPECT_EQ(record.LateFrames(), 1u);
}

TEST_F(LinkRecordTest, TheLimitDropsTheOldestFramesAndClearKeepsCounting) {
  record.SetLimit(10);
  for (int frame = 0; frame < 5; ++frame) AddRun(record, 0, kT0 + frame * 10 * kMs, "1234");
  record.Settle(kT0 + 100 * kMs + LinkRecord::kHold);
  ASSERT_EQ(record.Frames().size(), 2u);
  EXPECT_EQ(record.Frames().front().Sequence, 3u);
  EXPECT_EQ(record.NextSequence(), 5u);

  AddRun(record, 1, kT0 + 200 * kMs, "waiting");
  record.Clear();
  record.Settle(kT0 + 300 * kMs + LinkRecord::kHold);
  EXPECT_TRUE(record.Frames().empty()) << "what waited is cleared too";
  AddRun(record, 1, kT0 + 400 * kMs, "new");
  record.Settle(kT0 + 400 * kMs + LinkRecord::kHold);
  ASSERT_EQ(record.Frames().size(), 1u);
  EXPECT_EQ(record.Frames().front().Sequence, 5u) << "a view that read up to 4 sees the new frame as new";
}

}  // namespace
