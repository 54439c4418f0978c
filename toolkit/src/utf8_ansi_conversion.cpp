// Conversions through the Win32 layer's code-page calls, so that the
// toolkit and the program agree byte for byte on what the ANSI code page is.
#include "utf8_ansi_conversion.h"

#include <windows.h>

#include <algorithm>
#include <climits>

namespace {

std::u16string ToWide(UINT codePage, std::string_view text) {
  if (text.empty() || text.size() > INT_MAX) return {};
  int size = static_cast<int>(text.size());
  int needed = MultiByteToWideChar(codePage, 0, text.data(), size, nullptr, 0);
  if (needed <= 0) return {};
  std::u16string wide(static_cast<size_t>(needed), u'\0');
  MultiByteToWideChar(codePage, 0, text.data(), size, wide.data(), needed);
  return wide;
}

std::string FromWide(UINT codePage, const std::u16string& wide) {
  if (wide.empty() || wide.size() > INT_MAX) return {};
  int size = static_cast<int>(wide.size());
  int needed = WideCharToMultiByte(codePage, 0, wide.data(), size, nullptr, 0, nullptr, nullptr);
  if (needed <= 0) return {};
  std::string text(static_cast<size_t>(needed), '\0');
  WideCharToMultiByte(codePage, 0, wide.data(), size, text.data(), needed, nullptr, nullptr);
  return text;
}

// ASCII text is the same in UTF-8 and in the ANSI code page, and received
// text mostly is ASCII: it passes without a conversion.
bool IsAscii(std::string_view text) {
  return std::all_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

}  // namespace

std::string Utf8ToAnsi(std::string_view utf8) {
  return IsAscii(utf8) ? std::string(utf8) : FromWide(CP_ACP, ToWide(CP_UTF8, utf8));
}

std::string AnsiToUtf8(std::string_view ansi) {
  return IsAscii(ansi) ? std::string(ansi) : FromWide(CP_UTF8, ToWide(CP_ACP, ansi));
}

int AnsiLengthOfUtf8(std::string_view utf8) {
  if (IsAscii(utf8)) return static_cast<int>(utf8.size());
  std::u16string wide = ToWide(CP_UTF8, utf8);
  if (wide.empty()) return 0;
  return WideCharToMultiByte(CP_ACP, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0, nullptr, nullptr);
}
