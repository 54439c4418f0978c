// An ESP-IDF-like log as a device prints it: a boot banner once, then
// numbered lines "ESC[0;32mI (1234) wifi: ...ESC[0m\r\n" at three levels
// in their colours, about a third of them with Chinese text in UTF-8. Line
// `index` is always the same, so what a panel should show for a stream can
// be made again from the line numbers alone.
#pragma once

#include <atomic>
#include <cstdint>
#include <deque>
#include <string>

#include "byte_pattern.h"
#include "far_end.h"

struct EspLogLine {
  std::string bytes;  // as the device sends it
  std::string shown;  // as a panel with terminal colours and UTF-8 shows it (UTF-8, "\n" breaks)
};
EspLogLine EspLogLineAt(uint64_t index);

// A string that occurs once in the log, in its banner.
inline constexpr char kEspLogUniqueText[] = "POWERON_RESET";

// A far end that sends the log as far as the line takes it (what it does
// not take is never sent: the next write continues where the line stopped,
// so the stream stays whole lines whatever is refused).
class EspLogFarEnd : public serial_lines::FarEnd {
 public:
  using FarEnd::FarEnd;

  // Writes the next `count` bytes as far as the terminal takes them now
  // (never blocks); returns how many it took.
  size_t Write(size_t count);
  // Sends the rest of the line under way, waiting while the line is full,
  // so that what was sent ends at a line's end.
  void FinishLine();
  uint64_t Written() const { return written_; }
  // Lines sent whole, and the UTF-16 length of what they show.
  uint64_t CompleteLines() const { return completeLines_; }
  uint64_t ShownUnits() const { return shownUnits_; }

 private:
  // Makes lines until at least `count` bytes wait to be sent.
  void MakeLines(size_t count);

  std::string waiting_;  // made, not yet sent
  uint64_t madeLines_ = 0;
  struct MadeLine {
    uint64_t end;  // stream position past its last byte
    uint64_t shownUnits;
  };
  std::deque<MadeLine> unfinished_;  // made lines not yet sent whole
  uint64_t completeLines_ = 0;
  uint64_t lineEnd_ = 0;  // past the last line sent whole
  uint64_t shownUnits_ = 0;
  std::atomic<uint64_t> written_{0};
};

// UTF-16 units of UTF-8 text (characters outside the BMP count two).
uint64_t Utf16Length(const std::string& Utf8);
