#include "TextEncodings.h"

#include <cstring>
#include <vector>

namespace {

constexpr TextEncoding kEncodings[] = {
    {"GBK", 936, "GBK"},
    {"UTF-8", CP_UTF8, "UTF-8"},
    {"GB18030", 54936, "GB18030"},
    {"Big5", 950, "Big5"},
    {"Shift_JIS", 932, "Shift_JIS"},
    {"EUC-KR", 949, "EUC-KR"},
    {"ISO-8859-1", 28591, "ISO-8859-1"},
    {"Windows-1252", 1252, "Windows-1252"},
    {"UTF-16LE", 1200, "UTF-16LE"},
};

}  // namespace

std::span<const TextEncoding> TextEncodings() { return kEncodings; }

const TextEncoding& EncodingOfKey(const char* Key) {
  for (const TextEncoding& encoding : kEncodings)
    if (std::strcmp(encoding.Key, Key) == 0) return encoding;
  return kEncodings[0];
}

const TextEncoding& EncodingOfCodePage(UINT CodePage) {
  for (const TextEncoding& encoding : kEncodings)
    if (encoding.CodePage == CodePage) return encoding;
  return kEncodings[0];
}

std::string EncodeText(const std::string& Utf8, UINT CodePage) {
  if (Utf8.empty()) return {};
  const int length = static_cast<int>(Utf8.size());
  std::vector<WCHAR> wide(Utf8.size());
  const int units = MultiByteToWideChar(CP_UTF8, 0, Utf8.data(), length, wide.data(), length);
  if (units <= 0) return {};
  const int needed = WideCharToMultiByte(CodePage, 0, wide.data(), units, nullptr, 0, nullptr, nullptr);
  if (needed <= 0) return {};
  std::string bytes(static_cast<size_t>(needed), '\0');
  WideCharToMultiByte(CodePage, 0, wide.data(), units, bytes.data(), needed, nullptr, nullptr);
  return bytes;
}
