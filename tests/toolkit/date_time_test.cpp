// The date-time text (the locale pinned to en_US by the test environment)
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

// The window is in its source language, Chinese, here (the English window
// is tested with its catalog, in the window's language tests): under the
// en_US locale it still writes Chinese dates.
TEST(DateTime, TextIsTheShortDateABlankAndTheTimeWithSecondsAsAChineseWindowWritesThem) {
  EXPECT_EQ(DateTimeToStr(SystemTimeToDateTime(At(2024, 3, 5, 13, 5, 9))), String("2024/3/5 13:05:09"));
  EXPECT_EQ(DateTimeToStr(SystemTimeToDateTime(At(2026, 12, 9, 18, 59, 27))), String("2026/12/9 18:59:27"));
  EXPECT_EQ(DateTimeToStr(SystemTimeToDateTime(At(2024, 12, 31, 23, 59, 59, 999))), String("2024/12/31 23:59:59"));
  // One second after midnight still shows the time.
  EXPECT_EQ(DateTimeToStr(SystemTimeToDateTime(At(2024, 1, 2, 0, 0, 1))), String("2024/1/2 00:00:01"));
}

TEST(DateTime, ExactlyMidnightShowsTheDateAlone) {
  EXPECT_EQ(DateTimeToStr(SystemTimeToDateTime(At(2024, 3, 5, 0, 0, 0))), String("2024/3/5"));
  EXPECT_EQ(DateTimeToStr(EncodeDate(2000, 2, 29)), String("2000/2/29"));
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
  EXPECT_EQ(text.SubString(1, 16), String("2030/6/1 09:15:0"));
}

}  // namespace
