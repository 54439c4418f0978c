// Rows of the link's record as text.
#include "LinkRowText.h"

#include <cstdio>

#include "StreamDecoder.h"

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

namespace {

// Characters escaped where they are control characters, bytes that are no
// character as \xNN, gathered in UTF-16.
class EscapingSink : public DecodedSink {
 public:
  void Text(std::u16string_view Text) override {
    for (const char16_t c : Text) {
      if (c < 0x20 || c == 0x7F || c == '\\') {
        for (const char escaped : EscapedText(std::string(1, static_cast<char>(c)))) Units += escaped;
      } else {
        Units += c;
      }
    }
  }
  void InvalidByte(BYTE Byte) override {
    char escape[8];
    std::snprintf(escape, sizeof escape, "\\x%02X", Byte);
    for (const char* at = escape; *at; ++at) Units += static_cast<char16_t>(*at);
  }
  std::u16string Units;
};

}  // namespace

std::string TextOfBytes(const std::string& Bytes, UINT CodePage) {
  EscapingSink sink;
  StreamDecoder decoder(CodePage);
  decoder.Take(reinterpret_cast<const BYTE*>(Bytes.data()), static_cast<DWORD>(Bytes.size()), sink);
  decoder.LetGo(sink);
  if (sink.Units.empty()) return {};
  const auto* wide = reinterpret_cast<const WCHAR*>(sink.Units.data());
  const int units = static_cast<int>(sink.Units.size());
  const int size = WideCharToMultiByte(CP_UTF8, 0, wide, units, nullptr, 0, nullptr, nullptr);
  if (size <= 0) return {};
  std::string utf8(static_cast<size_t>(size), '\0');
  WideCharToMultiByte(CP_UTF8, 0, wide, units, utf8.data(), size, nullptr, nullptr);
  return utf8;
}

std::string LinkRowText(const LinkFrame& Frame, ULONGLONG Previous, bool Hex, UINT CodePage) {
  std::string row = ArrivalTimeText(Frame.Start) + "  " + DirectionText(Frame) + "  ";
  row += Previous == 0 ? std::string("          ") : GapText(Previous, Frame.Start);
  row += "  ";
  if (Frame.BreakMs > 0) return row + "BREAK " + std::to_string(Frame.BreakMs) + " ms";
  row += Hex ? HexWithCharacters(Frame.Bytes) : TextOfBytes(Frame.Bytes, CodePage);
  return row;
}
