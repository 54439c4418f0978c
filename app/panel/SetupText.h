// The check a saved setup passes before any of it is used: an INI file of
// "[section]" lines and "key=value" lines (blank lines and lines starting
// with ; or # between them), UTF-8, no larger than kLargestSetup, holding a
// panel's section. The first line that breaks the rules is named, with why,
// so that a refused file can be mended.
#pragma once

#include <string>

#include <toolkit/toolkit.h>

struct SetupCheck {
  int Line = 0;  // 1-based; 0 when the text passes
  String Why;    // what is wrong on that line
  bool Passed() const { return Line == 0; }
};

// The largest setup read, in bytes: far beyond any real one.
constexpr size_t kLargestSetup = 1 << 20;

SetupCheck CheckSetupText(const std::string& Text);
