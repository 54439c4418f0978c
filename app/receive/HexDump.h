// Received bytes as a hex dump: lines of 16 bytes, each with the offset of
// its first byte since the view was last cleared, the hexadecimal pairs
// (a wider gap after the eighth) and a character column (printable ASCII
// as itself, anything else as '.'):
//
//   00000010  48 65 6C 6C 6F 0D 0A 00  01 02 03 04 05 06 07 08  |Hello...........|
//
// The view only grows at its end, so a line is written as its bytes come:
// the offset when its first byte arrives, each pair as it arrives, the
// padding and the character column when it ends. A line ends with its
// sixteenth byte; with a frame gap, also when the line has been quiet that
// long, so that each frame of a binary protocol starts a line of its own.
// With time stamps, each line starts with the stamp of its first byte.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

class DumpSink {
 public:
  virtual ~DumpSink() = default;
  // Text of the dump; Stamp marks a line's time stamp.
  virtual void DumpText(std::string_view Text, bool Stamp) = 0;
};

class HexDump {
 public:
  static constexpr unsigned kMinGap = 2;
  static constexpr unsigned kMaxGap = 1000;

  // Milliseconds of quiet that end a frame; 0 for none.
  void SetFrameGap(unsigned Milliseconds) { gap_ = Milliseconds; }
  unsigned FrameGap() const { return gap_; }

  // Bytes that arrived at Now (milliseconds on a steady clock). Stamp, when
  // not empty, starts each line that begins in them.
  void Take(const BYTE* pBytes, DWORD dwCount, ULONGLONG Now, std::string_view Stamp, DumpSink& Sink);
  // Whether the open line has been quiet for the frame gap by Now.
  bool Quiet(ULONGLONG Now) const { return gap_ != 0 && column_ > 0 && Now >= last_ + gap_; }
  // Ends the open line if it has been quiet for the frame gap by Now.
  void EndIfQuiet(ULONGLONG Now, DumpSink& Sink);
  // Ends the open line now (the line was closed, the mode changed).
  void EndLine(DumpSink& Sink);
  // The view was cleared: offsets start again at 0, no line is open.
  void Clear();

  ULONGLONG Offset() const { return offset_; }
  bool LineOpen() const { return column_ > 0; }

 private:
  ULONGLONG offset_ = 0;  // of the next byte
  unsigned column_ = 0;   // bytes on the open line
  char characters_[16] = {};
  ULONGLONG last_ = 0;  // when the open line's last byte came
  unsigned gap_ = 0;
};
