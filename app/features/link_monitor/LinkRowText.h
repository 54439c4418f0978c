// A frame of the link's record as a row of text, as the monitor shows it
// and its text log keeps it:
//   03:27:35.123456  COM3 →  +12.345 ms  01 03 00 10 00 02 C5 CE  |........|
// A break the panel sent is a row of its own, "BREAK 250 ms" in place of
// the bytes. The time is the frame's arrival in the local zone to the microsecond, the
// gap runs from the previous frame's last read to this frame's first (less
// than zero when the two overlap). Bytes are hex with their characters, or
// the text itself with control characters written as escapes, so that a
// row stays one line. Rows are UTF-8: text bytes are read in the code page
// of the port's panel (its 编码 choice), as the panel reads them; a byte
// that is no character there is written as its escape, never dropped.
#pragma once

#include <windows.h>

#include <string>

#include "LinkRecord.h"

// "HH:MM:SS.uuuuuu" in the local zone.
std::string ArrivalTimeText(ULONGLONG FileTime);
// "+12.345 ms", or "-0.120 ms" for an overlap.
std::string GapText(ULONGLONG Previous, ULONGLONG Start);
// "COM3 →" for what the port received, "→ COM3" for what the panel sent.
std::string DirectionText(const LinkFrame& Frame);
// "01 03 00 10  |....|".
std::string HexWithCharacters(const std::string& Bytes);
// The bytes with \r, \n, \t, \0 and other control bytes escaped.
std::string EscapedText(const std::string& Bytes);

// The bytes as characters of the code page in UTF-8, escaped as above; a
// character cut off by the frame's end is bytes that are no character.
std::string TextOfBytes(const std::string& Bytes, UINT CodePage);

// The whole row; Previous is the previous frame's End (0: none, no gap).
// Text is read in CodePage (GBK, the system's code page, unless chosen).
std::string LinkRowText(const LinkFrame& Frame, ULONGLONG Previous, bool Hex, UINT CodePage = 936);
