#include "TimeStamps.h"

#include <cstdio>

std::string TimeStampText(const SYSTEMTIME& At) {
  char text[32];
  std::snprintf(text, sizeof text, "[%02u:%02u:%02u.%03u] ", At.wHour % 100u, At.wMinute % 100u, At.wSecond % 100u,
                At.wMilliseconds % 1000u);
  return text;
}

std::string TimeStampText(const FILETIME* Utc) {
  SYSTEMTIME at;
  FILETIME local;
  if (Utc == nullptr || !FileTimeToLocalFileTime(Utc, &local) || !FileTimeToSystemTime(&local, &at)) GetLocalTime(&at);
  return TimeStampText(at);
}

std::string TimeStamper::StampText(const std::string& Text, const SYSTEMTIME& At) {
  std::string stamped;
  stamped.reserve(Text.size() + 16);
  const std::string stamp = TimeStampText(At);
  for (const char c : Text) {
    const Before before = Next(c);
    if (before == Before::kLineBreakAndStamp) stamped += "\r\n";
    if (before != Before::kNothing) stamped += stamp;
    stamped += c;
  }
  return stamped;
}

TimeStamper::Before TimeStamper::Next(char Byte) {
  const bool secondHalfOfBreak = Byte == '\n' && afterCarriageReturn_;
  Before before = Before::kNothing;
  if (atLineStart_ && !secondHalfOfBreak) {
    // A line left open by a hex delivery is ended first.
    before = lineOpen_ ? Before::kLineBreakAndStamp : Before::kStamp;
    atLineStart_ = false;
  }
  const bool lineBreak = Byte == '\r' || Byte == '\n';
  atLineStart_ = atLineStart_ || lineBreak;
  lineOpen_ = !lineBreak;
  afterCarriageReturn_ = Byte == '\r';
  return before;
}

std::string TimeStamper::StampHex(const std::string& Pairs, const SYSTEMTIME& At) {
  std::string stamped = StartHex() ? "\r\n" : "";
  stamped += TimeStampText(At);
  stamped += Pairs;
  return stamped;
}

bool TimeStamper::StartHex() {
  const bool endLine = lineOpen_;
  // Text that follows starts a line of its own.
  atLineStart_ = true;
  afterCarriageReturn_ = false;
  lineOpen_ = true;
  return endLine;
}

void TimeStamper::Reset() { *this = TimeStamper(); }

void TimeStamper::StartAfter(const std::string& Shown) {
  Reset();
  const bool open = !Shown.empty() && Shown.back() != '\r' && Shown.back() != '\n';
  atLineStart_ = !open;
  lineOpen_ = open;
}
