// Rows of the link's record as text.
#include "LinkRowText.h"

#include <cstdio>
#include <vector>

std::string ArrivalTimeText(ULONGLONG FileTime) {
  const FILETIME utc{static_cast<DWORD>(FileTime), static_cast<DWORD>(FileTime >> 32)};
  FILETIME local{};
  SYSTEMTIME fields{};
  if (!FileTimeToLocalFileTime(&utc, &local) || !FileTimeToSystemTime(&local, &fields)) return "--:--:--.------";
  char text[32];
  std::snprintf(text, sizeof text, "%02u:%02u:%02u.%06u", fields.wHour, fields.wMinute, fields.wSecond,
                static_cast<unsigned>(FileTime % 10000000 / 10));
  return text;
}

std::string GapText(ULONGLONG Previous, ULONGLONG Start) {
  const bool overlap = Start < Previous;
  const ULONGLONG microseconds = (overlap ? Previous - Start : Start - Previous) / 10;
  char text[48];
  std::snprintf(text, sizeof text, "%c%llu.%03llu ms", overlap ? '-' : '+',
                static_cast<unsigned long long>(microseconds / 1000),
                static_cast<unsigned long long>(microseconds % 1000));
  return text;
}

std::string DirectionText(const LinkFrame& Frame) {
  return Frame.Sent ? "\xE2\x86\x92 " + Frame.Name : Frame.Name + " \xE2\x86\x92";
}

std::string HexWithCharacters(const std::string& Bytes) {
  static const char kDigits[] = "0123456789ABCDEF";
  std::string hex;
  std::string characters;
  hex.reserve(Bytes.size() * 3);
  characters.reserve(Bytes.size());
  for (const char c : Bytes) {
    const auto byte = static_cast<unsigned char>(c);
    if (!hex.empty()) hex += ' ';
    hex += kDigits[byte >> 4];
    hex += kDigits[byte & 0xF];
    characters += byte >= 0x20 && byte < 0x7F ? c : '.';
  }
  return hex + "  |" + characters + "|";
}

std::string EscapedText(const std::string& Bytes) {
  std::string text;
  text.reserve(Bytes.size());
  for (const char c : Bytes) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte == '\r') {
      text += "\\r";
    } else if (byte == '\n') {
      text += "\\n";
    } else if (byte == '\t') {
      text += "\\t";
    } else if (byte == '\\') {
      text += "\\\\";
    } else if (byte < 0x20 || byte == 0x7F) {
      char escape[8];
      std::snprintf(escape, sizeof escape, "\\x%02X", byte);
      text += escape;
    } else {
      text += c;
    }
  }
  return text;
}

std::string AnsiToUtf8(const std::string& Bytes) {
  if (Bytes.empty()) return Bytes;
  const int length = static_cast<int>(Bytes.size());
  const int units = MultiByteToWideChar(CP_ACP, 0, Bytes.data(), length, nullptr, 0);
  if (units <= 0) return Bytes;
  std::vector<WCHAR> wide(static_cast<size_t>(units));
  MultiByteToWideChar(CP_ACP, 0, Bytes.data(), length, wide.data(), units);
  const int size = WideCharToMultiByte(CP_UTF8, 0, wide.data(), units, nullptr, 0, nullptr, nullptr);
  if (size <= 0) return Bytes;
  std::string utf8(static_cast<size_t>(size), '\0');
  WideCharToMultiByte(CP_UTF8, 0, wide.data(), units, utf8.data(), size, nullptr, nullptr);
  return utf8;
}

std::string LinkRowText(const LinkFrame& Frame, ULONGLONG Previous, bool Hex) {
  std::string row = ArrivalTimeText(Frame.Start) + "  " + DirectionText(Frame) + "  ";
  row += Previous == 0 ? std::string("          ") : GapText(Previous, Frame.Start);
  row += "  ";
  row += Hex ? HexWithCharacters(Frame.Bytes) : AnsiToUtf8(EscapedText(Frame.Bytes));
  return row;
}
