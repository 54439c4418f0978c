// GetLocalTime and GetSystemTimePreciseAsFileTime from the real-time clock
// (and the local time zone), the clock tests may put in its place; file
// times converted to the local zone and to date and time fields.
#include <time.h>

#include <atomic>
#include <cstdint>
#include <ctime>

#include <windows.h>

#include "machine_sources.h"

namespace platform {
namespace {

std::atomic<int64_t (*)()> g_clock{&systemRealtime};

constexpr int64_t kIntervalsPerSecond = 10000000;           // file times count 100 ns
constexpr int64_t kEpochDifferenceSeconds = 11644473600LL;  // 1601 to 1970

// A SYSTEMTIME's fields from broken-down time.
void setFields(LPSYSTEMTIME time, const tm& fields, WORD milliseconds) {
  time->wYear = static_cast<WORD>(fields.tm_year + 1900);
  time->wMonth = static_cast<WORD>(fields.tm_mon + 1);
  time->wDayOfWeek = static_cast<WORD>(fields.tm_wday);
  time->wDay = static_cast<WORD>(fields.tm_mday);
  time->wHour = static_cast<WORD>(fields.tm_hour);
  time->wMinute = static_cast<WORD>(fields.tm_min);
  time->wSecond = static_cast<WORD>(fields.tm_sec);
  time->wMilliseconds = milliseconds;
}

}  // namespace

int64_t systemRealtime() {
  timespec now;
  clock_gettime(CLOCK_REALTIME, &now);
  return static_cast<int64_t>(now.tv_sec) * 1000000000 + now.tv_nsec;
}

void useRealtimeClock(int64_t (*clock)()) { g_clock.store(clock ? clock : &systemRealtime); }

}  // namespace platform

void WINAPI GetLocalTime(LPSYSTEMTIME lpSystemTime) {
  const int64_t nanoseconds = platform::g_clock.load(std::memory_order_relaxed)();
  const time_t seconds = static_cast<time_t>(nanoseconds / 1000000000);
  tm local{};
  localtime_r(&seconds, &local);
  platform::setFields(lpSystemTime, local, static_cast<WORD>((nanoseconds / 1000000) % 1000));
}

void WINAPI GetSystemTimePreciseAsFileTime(LPFILETIME lpSystemTimeAsFileTime) {
  const int64_t nanoseconds = platform::g_clock.load(std::memory_order_relaxed)();
  const uint64_t intervals =
      static_cast<uint64_t>(nanoseconds / 100 + platform::kEpochDifferenceSeconds * platform::kIntervalsPerSecond);
  lpSystemTimeAsFileTime->dwLowDateTime = static_cast<DWORD>(intervals);
  lpSystemTimeAsFileTime->dwHighDateTime = static_cast<DWORD>(intervals >> 32);
}

namespace {

using platform::kEpochDifferenceSeconds;
using platform::kIntervalsPerSecond;

int64_t intervalsOf(const FILETIME* time) {
  return static_cast<int64_t>((static_cast<uint64_t>(time->dwHighDateTime) << 32) | time->dwLowDateTime);
}

void setIntervals(LPFILETIME time, int64_t intervals) {
  time->dwLowDateTime = static_cast<DWORD>(static_cast<uint64_t>(intervals));
  time->dwHighDateTime = static_cast<DWORD>(static_cast<uint64_t>(intervals) >> 32);
}

}  // namespace

BOOL WINAPI FileTimeToLocalFileTime(const FILETIME* lpFileTime, LPFILETIME lpLocalFileTime) {
  const time_t seconds = static_cast<time_t>(intervalsOf(lpFileTime) / kIntervalsPerSecond - kEpochDifferenceSeconds);
  tm local{};
  if (localtime_r(&seconds, &local) == nullptr) return FALSE;
  setIntervals(lpLocalFileTime, intervalsOf(lpFileTime) + static_cast<int64_t>(local.tm_gmtoff) * kIntervalsPerSecond);
  return TRUE;
}

BOOL WINAPI FileTimeToSystemTime(const FILETIME* lpFileTime, LPSYSTEMTIME lpSystemTime) {
  const int64_t intervals = intervalsOf(lpFileTime);
  if (intervals < 0) return FALSE;  // past the years a SYSTEMTIME holds
  const time_t seconds = static_cast<time_t>(intervals / kIntervalsPerSecond - kEpochDifferenceSeconds);
  tm fields{};
  if (gmtime_r(&seconds, &fields) == nullptr) return FALSE;
  platform::setFields(lpSystemTime, fields, static_cast<WORD>(intervals % kIntervalsPerSecond / 10000));
  return TRUE;
}
