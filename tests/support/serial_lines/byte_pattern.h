// The bytes a far end sends down its line: printable ASCII, so that a
// panel shows them unchanged in its memo, in a sequence that repeats only
// every 8836 bytes, so that a lost or repeated stretch shows as a wrong byte.
#pragma once

#include <chrono>
#include <cstdint>
#include <string>

using Clock = std::chrono::steady_clock;

inline char PatternByte(uint64_t position) { return static_cast<char>('!' + (position + position / 94) % 94); }

// What a panel sends: one line of the pattern's first 128 bytes (an edit's
// limit), sent again and again as auto-send does, so that a press changes
// nothing the window remembers. A lost or repeated stretch shorter than a
// line shows as a wrong byte; whole lines are checked by the counts.
inline constexpr size_t kSentLineLength = 128;

inline char SentPatternByte(uint64_t position) { return PatternByte(position % kSentLineLength); }

inline std::string SentLine() {
  std::string text(kSentLineLength, '\0');
  for (size_t i = 0; i < kSentLineLength; ++i) text[i] = PatternByte(i);
  return text;
}
