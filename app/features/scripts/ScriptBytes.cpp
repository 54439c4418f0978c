#include "ScriptBytes.h"

#include <windows.h>

#include "CharacterLength.h"

namespace {

int DigitValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

bool Blank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

}  // namespace

bool BytesOfHexPairs(const std::string& Text, std::string& Bytes) {
  Bytes.clear();
  for (size_t i = 0; i < Text.size();) {
    if (Blank(Text[i])) {
      ++i;
      continue;
    }
    const int high = DigitValue(Text[i]);
    const int low = i + 1 < Text.size() ? DigitValue(Text[i + 1]) : -1;
    if (high < 0 || low < 0) return false;
    Bytes.push_back(static_cast<char>(high * 16 + low));
    i += 2;
  }
  return true;
}

std::string HexPairsOf(const std::string& Bytes) {
  static const char kDigits[] = "0123456789ABCDEF";
  std::string text;
  text.reserve(Bytes.size() * 3);
  for (const char c : Bytes) {
    if (!text.empty()) text.push_back(' ');
    const auto byte = static_cast<unsigned char>(c);
    text.push_back(kDigits[byte >> 4]);
    text.push_back(kDigits[byte & 0x0F]);
  }
  return text;
}

size_t FirstNonUtf8(const std::string& Text) {
  const auto* bytes = reinterpret_cast<const BYTE*>(Text.data());
  for (size_t i = 0; i < Text.size();) {
    const CharacterLength found = CharacterAt(CP_UTF8, bytes + i, static_cast<DWORD>(Text.size() - i));
    if (found.What != CharacterLength::kWhole) return i;
    i += found.Length;
  }
  return std::string::npos;
}
