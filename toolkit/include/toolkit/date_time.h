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

// The user's short date format, a blank, and the time with seconds, as the
// system's locale writes them (no time zone); at exactly midnight the date
// alone.
String DateTimeToStr(TDateTime DateTime);
