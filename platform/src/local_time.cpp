// GetLocalTime and GetSystemTimePreciseAsFileTime from the real-time clock
// (and the local time zone); tests may move the clock, both times with it.
#include <kestrix/platform_testing.h>
#include <time.h>

#include <atomic>
#include <cstdint>
#include <ctime>

namespace {

// Nanoseconds added to the real clock; changed only by tests.
std::atomic<int64_t> g_clockOffset{0};

int64_t realNanoseconds() {
  timespec now;
  clock_gettime(CLOCK_REALTIME, &now);
  return static_cast<int64_t>(now.tv_sec) * 1000000000 + now.tv_nsec;
}

}  // namespace

void WINAPI GetLocalTime(LPSYSTEMTIME lpSystemTime) {
  const int64_t nanoseconds = realNanoseconds() + g_clockOffset.load(std::memory_order_relaxed);
  const time_t seconds = static_cast<time_t>(nanoseconds / 1000000000);
  tm local{};
  localtime_r(&seconds, &local);
  lpSystemTime->wYear = static_cast<WORD>(local.tm_year + 1900);
  lpSystemTime->wMonth = static_cast<WORD>(local.tm_mon + 1);
  lpSystemTime->wDayOfWeek = static_cast<WORD>(local.tm_wday);
  lpSystemTime->wDay = static_cast<WORD>(local.tm_mday);
  lpSystemTime->wHour = static_cast<WORD>(local.tm_hour);
  lpSystemTime->wMinute = static_cast<WORD>(local.tm_min);
  lpSystemTime->wSecond = static_cast<WORD>(local.tm_sec);
  lpSystemTime->wMilliseconds = static_cast<WORD>((nanoseconds / 1000000) % 1000);
}

void WINAPI GetSystemTimePreciseAsFileTime(LPFILETIME lpSystemTimeAsFileTime) {
  // Seconds from 1601 to 1970, the epochs of the two clocks.
  constexpr int64_t kEpochDifference = 11644473600LL;
  const int64_t nanoseconds = realNanoseconds() + g_clockOffset.load(std::memory_order_relaxed);
  const uint64_t intervals = static_cast<uint64_t>(nanoseconds / 100 + kEpochDifference * 10000000);
  lpSystemTimeAsFileTime->dwLowDateTime = static_cast<DWORD>(intervals);
  lpSystemTimeAsFileTime->dwHighDateTime = static_cast<DWORD>(intervals >> 32);
}

void SetLocalClockForTesting(const SYSTEMTIME* now) {
  if (now == nullptr) {
    g_clockOffset.store(0);
    return;
  }
  tm local{};
  local.tm_year = now->wYear - 1900;
  local.tm_mon = now->wMonth - 1;
  local.tm_mday = now->wDay;
  local.tm_hour = now->wHour;
  local.tm_min = now->wMinute;
  local.tm_sec = now->wSecond;
  local.tm_isdst = -1;
  const int64_t wanted =
      static_cast<int64_t>(mktime(&local)) * 1000000000 + static_cast<int64_t>(now->wMilliseconds) * 1000000;
  g_clockOffset.store(wanted - realNanoseconds());
}
