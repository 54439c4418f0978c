// Quick sends as plain text, the form of their export files and of the
// lines the settings keep.
//
// A file is UTF-8. Blank lines and lines starting with "#" are left out.
// Every other line is one quick send of five fields separated by tabs:
//
//   name <TAB> text|hex <TAB> checksum <TAB> period in ms <TAB> message
//
// checksum is none, modbus, ccitt-false, xmodem, crc8, crc32, sum8 or xor8;
// the period is 0 (sent only when asked) or 100 to 3600000 in steps of 100.
// The message is the rest of the line. A text message may hold the escapes
// \r \n \t \\ and \xHH (one byte); a hex message is pairs of hexadecimal
// digits, separators allowed. For example:
//
//   Read 10 registers	hex	modbus	1000	01 03 00 00 00 0A
//   Hello	text	none	0	hello\r\n
#pragma once

#include <string>
#include <vector>

#include "QuickSend.h"

// One quick send as its line (without a line break).
std::string QuickSendLine(const QuickSend& Send);
// Reads one line; false with the reason (Chinese, for the user) in Error.
bool ReadQuickSendLine(const std::string& Line, QuickSend& Send, std::string& Error);
// Checks a quick send as typed: a name, a message, a period, and text whose
// escapes or hex whose digits make bytes. False with the reason in Error.
bool CheckQuickSend(const QuickSend& Send, std::string& Error);

// A whole file: a comment naming the fields, then a line per quick send.
std::string QuickSendFileText(const std::vector<QuickSend>& Sends);

struct QuickSendFileRead {
  std::vector<QuickSend> Sends;     // the lines that were read, in order
  std::vector<std::string> Errors;  // "第 3 行：..." for each refused line
};
// Reads a file's text; a line that cannot be read is named in Errors and
// left out, the others are kept.
QuickSendFileRead ReadQuickSendFile(const std::string& Text);
