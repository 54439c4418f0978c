#include "pattern_far_end.h"

#include <unistd.h>

#include <algorithm>

namespace serial_lines {

size_t PatternFarEnd::Write(size_t count) {
  char chunk[4096];
  size_t taken = 0;
  while (taken < count) {
    const uint64_t start = written_;
    const size_t size = std::min(sizeof chunk, count - taken);
    for (size_t i = 0; i < size; ++i) chunk[i] = PatternByte(start + i);
    const Clock::time_point now = Clock::now();
    const ssize_t written = ::write(Master(), chunk, size);
    if (written <= 0) break;  // the terminal is full: the program is not reading
    {
      std::lock_guard<std::mutex> lock(logMutex_);
      log_.push_back({start, now});
    }
    written_ = start + static_cast<uint64_t>(written);
    taken += static_cast<size_t>(written);
    if (static_cast<size_t>(written) < size) break;
  }
  return taken;
}

std::vector<WriteRecord> PatternFarEnd::Writes(uint64_t from, uint64_t to) const {
  std::lock_guard<std::mutex> lock(logMutex_);
  std::vector<WriteRecord> found;
  for (const WriteRecord& record : log_)
    if (record.position >= from && record.position < to) found.push_back(record);
  return found;
}

size_t PatternFarEnd::Read() {
  char chunk[4096];
  size_t taken = 0;
  for (;;) {
    const ssize_t count = ::read(Master(), chunk, sizeof chunk);
    if (count <= 0) break;  // nothing more has arrived
    uint64_t position = received_;
    for (ssize_t i = 0; i < count; ++i, ++position)
      if (chunk[i] != SentPatternByte(position)) ++receivedWrong_;
    received_ = position;
    taken += static_cast<size_t>(count);
  }
  return taken;
}

}  // namespace serial_lines
