// One quick send: a named message sent by a click, a key or a period.
#pragma once

#include <string>

#include "Checksums.h"

struct QuickSend {
  std::string Name;     // UTF-8, without blanks at its ends
  std::string Message;  // UTF-8 as typed: text with escapes, or hex digits
  bool Hex = false;     // the message is hexadecimal digits, not text
  Checksum Check = Checksum::None;
  int PeriodMs = 0;  // 0: no period; else 100 to 3600000, a multiple of 100

  bool operator==(const QuickSend&) const = default;
};

// A panel keeps at most this many; the first nine have Alt+1 to Alt+9.
constexpr int kMaxQuickSends = 20;
constexpr int kMaxQuickSendPeriodMs = 3600000;
// A message is at most this many characters as written.
constexpr size_t kMaxQuickSendMessage = 1024;

// Whether the period is 0 or one a quick send may have.
inline bool ValidQuickSendPeriod(int PeriodMs) {
  return PeriodMs == 0 || (PeriodMs >= 100 && PeriodMs <= kMaxQuickSendPeriodMs && PeriodMs % 100 == 0);
}
