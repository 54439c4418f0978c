#include "TimeStamps.h"

#include <cstdio>

std::string TimeStampText(const SYSTEMTIME& At) {
  char text[32];
  std::snprintf(text, sizeof text, "[%02u:%02u:%02u.%03u] ", At.wHour % 100u, At.wMinute % 100u, At.wSecond % 100u,
                At.wMilliseconds % 1000u);
  return text;
}

std::string TimeStamper::StampText(const std::string& Text, const SYSTEMTIME& At) {
  std::string stamped;
  stamped.reserve(Text.size() + 16);
  const std::string stamp = TimeStampText(At);
  for (const char c : Text) {
    const bool secondHalfOfBreak = c == '\n' && afterCarriageReturn_;
    if (atLineStart_ && !secondHalfOfBreak) {
      // A line left open by a hex delivery is ended first.
      if (lineOpen_) stamped += "\r\n";
      stamped += stamp;
      atLineStart_ = false;
    }
    stamped += c;
    const bool lineBreak = c == '\r' || c == '\n';
    atLineStart_ = atLineStart_ || lineBreak;
    lineOpen_ = !lineBreak;
    afterCarriageReturn_ = c == '\r';
  }
  return stamped;
}

std::string TimeStamper::StampHex(const std::string& Pairs, const SYSTEMTIME& At) {
  std::string stamped = lineOpen_ ? "\r\n" : "";
  stamped += TimeStampText(At);
  stamped += Pairs;
  // Text that follows starts a line of its own.
  atLineStart_ = true;
  afterCarriageReturn_ = false;
  lineOpen_ = true;
  return stamped;
}

void TimeStamper::Reset() { *this = TimeStamper(); }

void TimeStamper::StartAfter(const std::string& Shown) {
  Reset();
  const bool open = !Shown.empty() && Shown.back() != '\r' && Shown.back() != '\n';
  atLineStart_ = !open;
  lineOpen_ = open;
}
