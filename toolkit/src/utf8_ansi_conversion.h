// Conversion between UTF-8 and the ANSI code page (GBK).
#pragma once

#include <string>
#include <string_view>

// Characters the code page lacks become '?' (one per UTF-16 unit).
std::string Utf8ToAnsi(std::string_view utf8);
// Byte sequences that are not GBK (a lead byte ending the text included)
// become U+FFFD.
std::string AnsiToUtf8(std::string_view ansi);
// The length in ANSI bytes of a UTF-8 text, without converting it whole.
int AnsiLengthOfUtf8(std::string_view utf8);
