// Finding a pattern's matches in a log's text, the same way wherever it is
// done (on the window's thread for what is on screen and what just came, on
// a search thread for everything kept), so that counts and marks agree.
//
// A match never holds a line break. Lines are searched whole where they lie
// in one block, or cross a block's end and are at most kWindow long. A
// longer line that crosses a block's end is searched in windows of kWindow
// bytes, one starting at the line's start and one at each multiple of
// kWindow - kOverlap inside it; each window takes the matches that start
// before the next window's start, so a match of up to kOverlap bytes is
// found wherever it lies, and each once.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "log_bytes.h"
#include "log_pattern.h"

inline constexpr std::uint64_t kSearchWindow = 8192;
inline constexpr std::uint64_t kSearchOverlap = 512;

// Calls found(start, length) for each match starting in [from, to), in
// order, until it returns false. lineStart is the start of the line holding
// `from` (the source's Begin at most). scratch holds text copied out of the
// blocks. When given, proceed(position) is asked before each piece of at
// most a block is searched, and ends the scan when it returns false (a
// search thread's way to be stopped, and to say how far it came).
void ScanMatches(const LogByteSource& source, const LogPattern& pattern, std::uint64_t lineStart, std::uint64_t from,
                 std::uint64_t to, std::string& scratch, const std::function<bool(std::uint64_t, std::uint32_t)>& found,
                 const std::function<bool(std::uint64_t)>& proceed = nullptr);
