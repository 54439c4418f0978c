// The styles of a log view's text: each distinct TTextStyle is kept once
// and named by its index, and turned into the character format it draws
// with.
#pragma once

#include <QPalette>
#include <QTextCharFormat>

#include <cstdint>
#include <map>
#include <tuple>
#include <vector>

#include "toolkit/log_view.h"

class LogStyles {
 public:
  LogStyles() { Clear(); }
  std::uint32_t IndexOf(const TTextStyle& style);
  // The format of a style; an empty format for the plain style.
  QTextCharFormat Format(std::uint32_t index, const QPalette& palette) const;
  // Forgets every style but the plain one (index 0).
  void Clear();

 private:
  using Key = std::tuple<TColor, TColor, bool, bool, bool, int>;
  static Key KeyOf(const TTextStyle& style) {
    return {style.Fore, style.Back, style.Bold, style.Underline, style.Reverse, style.Role};
  }
  std::vector<TTextStyle> styles_;
  std::map<Key, std::uint32_t> indices_;
  std::uint32_t lastIndex_ = 0;  // consecutive appends mostly share a style
};
