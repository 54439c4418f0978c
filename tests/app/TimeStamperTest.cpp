// Time stamps: one at each line start and only there, across deliveries,
// and one per delivery in hex.
#include <gtest/gtest.h>

#include "TimeStamps.h"

namespace {

SYSTEMTIME At(WORD hour, WORD minute, WORD second, WORD ms) {
  SYSTEMTIME time{};
  time.wHour = hour;
  time.wMinute = minute;
  time.wSecond = second;
  time.wMilliseconds = ms;
  return time;
}

const SYSTEMTIME kFirst = At(9, 5, 7, 42);
const SYSTEMTIME kSecond = At(23, 59, 59, 999);
const std::string kA = "[09:05:07.042] ";
const std::string kB = "[23:59:59.999] ";

TEST(TimeStamps, EachLineStartsWithTheTimeOfTheDeliveryThatBroughtItsFirstByte) {
  TimeStamper stamper;
  EXPECT_EQ(stamper.StampText("one\r\ntw", kFirst), kA + "one\r\n" + kA + "tw");
  // The rest of the line brings no stamp; the line after it gets this
  // delivery's time.
  EXPECT_EQ(stamper.StampText("o\nthree", kSecond), "o\n" + kB + "three");
  // Lone CRs and LFs break lines too; empty lines are stamped as well.
  EXPECT_EQ(stamper.StampText("\r\r\n\n", kFirst), "\r" + kA + "\r\n" + kA + "\n");
  EXPECT_EQ(stamper.StampText("x", kSecond), kB + "x");
}

TEST(TimeStamps, ACrLfSplitBetweenDeliveriesIsOneBreak) {
  TimeStamper stamper;
  EXPECT_EQ(stamper.StampText("ab\r", kFirst), kA + "ab\r");
  EXPECT_EQ(stamper.StampText("\ncd", kSecond), "\n" + kB + "cd");
  // A line break ends a delivery: the next line waits for its first byte.
  EXPECT_EQ(stamper.StampText("\r\n", kFirst), "\r\n");
  EXPECT_EQ(stamper.StampText("", kFirst), "");
  EXPECT_EQ(stamper.StampText("e", kSecond), kB + "e");
}

TEST(TimeStamps, HexDeliveriesEachStartALineAndTextAfterThemStartsItsOwn) {
  TimeStamper stamper;
  EXPECT_EQ(stamper.StampHex("41 42 ", kFirst), kA + "41 42 ");
  EXPECT_EQ(stamper.StampHex("0D 0A ", kSecond), "\r\n" + kB + "0D 0A ");
  EXPECT_EQ(stamper.StampText("text", kFirst), "\r\n" + kA + "text");
  EXPECT_EQ(stamper.StampHex("43 ", kSecond), "\r\n" + kB + "43 ");
  stamper.Reset();  // the receive area was emptied
  EXPECT_EQ(stamper.StampHex("44 ", kFirst), kA + "44 ");
  stamper.Reset();
  EXPECT_EQ(stamper.StampText("\nx", kFirst), kA + "\n" + kA + "x");
}

TEST(TimeStamps, SwitchedOnMidLineTheOpenLineGetsNoStampButTheNextDoes) {
  TimeStamper stamper;
  stamper.StartAfter("earlier\r\nhalf a li");
  EXPECT_EQ(stamper.StampText("ne\r\nnext", kFirst), "ne\r\n" + kA + "next");
  stamper.StartAfter("half");
  EXPECT_EQ(stamper.StampHex("41 ", kSecond), "\r\n" + kB + "41 ");
  stamper.StartAfter("whole line\r\n");
  EXPECT_EQ(stamper.StampText("x", kSecond), kB + "x");
  stamper.StartAfter("");
  EXPECT_EQ(stamper.StampHex("41 ", kSecond), kB + "41 ");
}

}  // namespace
