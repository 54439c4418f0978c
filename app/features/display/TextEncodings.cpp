#include "TextEncodings.h"

#include <cstring>

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
