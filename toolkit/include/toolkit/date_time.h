// Dates and times: TDateTime counts days since 30 December 1899, the time of
// day as the fraction.
#pragma once

#include <windows.h>

#include "toolkit/strings.h"

struct TDateTime {
  TDateTime() = default;
  TDateTime(double value) : Val(value) {}
  operator double() const { return Val; }
  double Val = 0;
};

// The local time now, from GetLocalTime.
TDateTime Now();
TDateTime SystemTimeToDateTime(const SYSTEMTIME& Time);
// Milliseconds are rounded to the nearest.
void DateTimeToSystemTime(TDateTime DateTime, SYSTEMTIME& Time);
TDateTime EncodeDate(int Year, int Month, int Day);
TDateTime EncodeTime(int Hour, int Minute, int Second, int Millisecond);

// The short date, a blank, and the time with seconds (no time zone), as the
// window's language writes them: a Chinese window (the source language)
// writes Chinese dates ("2026/12/9 18:59:27") under any locale that is not
// Chinese, any other window as the system's locale says. At exactly
// midnight the date alone.
String DateTimeToStr(TDateTime DateTime);
