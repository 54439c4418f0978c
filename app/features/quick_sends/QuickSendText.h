// The text of a quick send's message: its escapes, and the bytes it sends.
#pragma once

#include <string>
#include <vector>

#include "QuickSend.h"

// A run of the message: typed characters (UTF-8, converted to the system's
// code page when sent) or bytes an escape spelt.
struct TextPiece {
  bool Raw;
  std::string Text;
};

// The message with \r \n \t \\ and \xHH replaced by their bytes. False with
// the reason in Error for a lone backslash, an unknown escape or \x
// without two hexadecimal digits.
bool DecodeEscapes(const std::string& Text, std::vector<TextPiece>& Pieces, std::string& Error);

// Writes the text so that it reads back as the same bytes on one line
// without blanks at its end: tabs, line breaks and a last blank become
// escapes.
std::string EscapeForLine(const std::string& Text);

// The bytes the quick send puts on the line: its text in the system's code
// page (escapes as their bytes) or the bytes its hex digits spell, then its
// checksum. False with the reason in Error when the message makes no
// bytes.
bool QuickSendBytes(const QuickSend& Send, std::string& Bytes, std::string& Error);
