// Time stamps on received data: "[HH:MM:SS.mmm] " at the start of each line
// of text, or before each delivery shown in hex, which then starts a line
// of its own. The stamp carries the local time the line's first byte
// arrived: when its port read it from the device (the block's read marks),
// not when the window was handed it.
#pragma once

#include <windows.h>

#include <string>

// "[HH:MM:SS.mmm] "
std::string TimeStampText(const SYSTEMTIME& At);
// The same for a system time (UTC) in the local zone; null for now.
std::string TimeStampText(const FILETIME* Utc);

// Where one panel's receive area stands between deliveries: whether the
// next byte starts a line, and whether a CR just ended one (so that an LF
// after it, even in the next delivery, belongs to the same line break).
class TimeStamper {
 public:
  // Text mode: Text (ANSI bytes) with a stamp before each line that starts
  // in it.
  std::string StampText(const std::string& Text, const SYSTEMTIME& At);
  // Hex mode: the delivery's hex pairs on a line of their own, after the
  // stamp.
  std::string StampHex(const std::string& Pairs, const SYSTEMTIME& At);
  // What goes before the next character of text, told by its byte: '\r',
  // '\n', or the first byte of any other character. StampText is this, a
  // byte at a time, for whoever writes the text out itself.
  enum class Before { kNothing, kStamp, kLineBreakAndStamp };
  Before Next(char Byte);
  // Hex mode: a delivery starts; returns whether its stamp must first end
  // the line left open.
  bool StartHex();

  // The receive area was emptied: the next byte starts a line.
  void Reset();
  // Stamping starts on a receive area that already shows text: a line left
  // open gets no stamp; the next line does.
  void StartAfter(const std::string& Shown);

 private:
  bool atLineStart_ = true;
  bool afterCarriageReturn_ = false;
  bool lineOpen_ = false;  // something is shown on the last line
};
