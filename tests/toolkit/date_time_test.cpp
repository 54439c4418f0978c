// The date-time text (pinned to the en_US locale by the test environment)
// and the clock it reads.
#include <gtest/gtest.h>

#include "string_printer.h"

#include <kestrix/platform_testing.h>

#include "toolkit/date_time.h"

namespace {

SYSTEMTIME At(WORD year, WORD month, WORD day, WORD hour, WORD minute, WORD second, WORD ms = 0) {
  SYSTEMTIME time{};
  time.wYear = year;
  time.wMonth = month;
  time.wDay = day;
  time.wHour = hour;
  time.wMinute = minute;
  time.wSecond = second;
  time.wMilliseconds = ms;
  return time;
}

TEST(DateTime, TextIsTheShortDateABlankAndTheTimeWithSeconds) {
  EXPECT_EQ(DateTimeToStr(SystemTimeToDateTime(At(2024, 3, 5, 13, 5, 9))), String("3/5/24 1:05:09 PM"));
  EXPECT_EQ(DateTimeToStr(SystemTimeToDateTime(At(2024, 12, 31, 23, 59, 59, 999))), String("12/31/24 11:59:59 PM"));
  // One second after midnight still shows the time.
  EXPECT_EQ(DateTimeToStr(SystemTimeToDateTime(At(2024, 1, 2, 0, 0, 1))), String("1/2/24 12:00:01 AM"));
}

TEST(DateTime, ExactlyMidnightShowsTheDateAlone) {
  EXPECT_EQ(DateTimeToStr(SystemTimeToDateTime(At(2024, 3, 5, 0, 0, 0))), String("3/5/24"));
  EXPECT_EQ(DateTimeToStr(EncodeDate(2000, 2, 29)), String("2/29/00"));
}

TEST(DateTime, ConversionsRoundTripToTheMillisecond) {
  SYSTEMTIME in = At(2031, 7, 14, 8, 30, 15, 250);
  SYSTEMTIME out{};
  DateTimeToSystemTime(SystemTimeToDateTime(in), out);
  EXPECT_EQ(out.wYear, 2031);
  EXPECT_EQ(out.wMonth, 7);
  EXPECT_EQ(out.wDay, 14);
  EXPECT_EQ(out.wHour, 8);
  EXPECT_EQ(out.wMinute, 30);
  EXPECT_EQ(out.wSecond, 15);
  EXPECT_EQ(out.wMilliseconds, 250);
  EXPECT_EQ(out.wDayOfWeek, 1);  // a Monday
  EXPECT_DOUBLE_EQ(EncodeDate(1899, 12, 30).Val, 0.0);
  EXPECT_DOUBLE_EQ(EncodeTime(12, 0, 0, 0).Val, 0.5);
}

TEST(DateTime, NowReadsTheLocalClock) {
  SYSTEMTIME moved = At(2030, 6, 1, 9, 15, 0);
  SetLocalClockForTesting(&moved);
  String text = DateTimeToStr(Now());
  SetLocalClockForTesting(nullptr);
  // The clock runs on from the moment it was set.
  EXPECT_EQ(text.SubString(1, 13), String("6/1/30 9:15:0"));
}

}  // namespace
