// The bytes the benchmark sends down each line: printable ASCII, so that a
// panel shows them unchanged in its memo, in a sequence that repeats only
// every 8836 bytes, so that a lost or repeated stretch shows as a wrong byte.
#pragma once

#include <chrono>
#include <cstdint>

using Clock = std::chrono::steady_clock;

inline char PatternByte(uint64_t position) { return static_cast<char>('!' + (position + position / 94) % 94); }
