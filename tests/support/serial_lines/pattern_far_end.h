// A far end that writes the byte pattern as far as the line takes it and
// reads back what the program sent, checking it against the sent line.
// Every write is logged with its moment, so that the moment each byte is
// shown can be matched to the moment it arrived. The caller paces the
// writes to the rate it measures at.
#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>
#include <vector>

#include "byte_pattern.h"
#include "far_end.h"

namespace serial_lines {

struct WriteRecord {
  uint64_t position;  // of the write's first byte in the pattern
  Clock::time_point time;
};

class PatternFarEnd : public FarEnd {
 public:
  using FarEnd::FarEnd;

  // Writes the next `count` bytes of the pattern as far as the terminal
  // takes them now (it never blocks); returns how many it took.
  size_t Write(size_t count);
  uint64_t Written() const { return written_; }
  // Another process wrote the pattern's next `count` bytes into the line
  // (a feeder of its own, given the master side).
  void WrittenElsewhere(uint64_t count) { written_ += count; }
  // The writes whose first byte lies in [from, to).
  std::vector<WriteRecord> Writes(uint64_t from, uint64_t to) const;

  // Reads what the program sent as far as it has arrived (it never blocks),
  // checking that it continues the sent lines; returns how many bytes it
  // read.
  size_t Read();
  uint64_t Received() const { return received_; }
  uint64_t ReceivedWrong() const { return receivedWrong_; }

 private:
  std::atomic<uint64_t> written_{0};
  std::atomic<uint64_t> received_{0};
  std::atomic<uint64_t> receivedWrong_{0};
  mutable std::mutex logMutex_;
  std::vector<WriteRecord> log_;
};

}  // namespace serial_lines
