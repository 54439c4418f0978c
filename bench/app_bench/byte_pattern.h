// The bytes the benchmark sends down each line: printable ASCII, so that a
// panel shows them unchanged in its memo, in a sequence that repeats only
// every 8836 bytes, so that a lost or repeated stretch shows as a wrong byte.
#pragma once

#include <chrono>
#include <cstdint>
#include <string>

using Clock = std::chrono::steady_clock;

inline char PatternByte(uint64_t position) { return static_cast<char>('!' + (position + position / 94) % 94); }

inline std::string PatternText(uint64_t from, size_t count) {
  std::string text(count, '\0');
  for (size_t i = 0; i < count; ++i) text[i] = PatternByte(from + i);
  return text;
}
