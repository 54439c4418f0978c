// What a find looks for, compiled once and shared by the threads that
// search: a literal text, a regular expression, or hex bytes as a hex view
// shows them. RE2 matches in time linear in the text, whatever the
// expression ((a+)+$ included): no search can run away. Its syntax is
// Perl's less back references and look-around.
#pragma once

#include <re2/re2.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "toolkit/log_view.h"

class LogPattern {
 public:
  // The pattern (UTF-8) as the options say; null for one that is not
  // valid (an expression RE2 does not take, hex that is not pairs).
  static std::shared_ptr<const LogPattern> Make(const std::string& pattern, const TFindOptions& options);

  // Calls found(offset, length) for each match in text, left to right, none
  // empty, none overlapping, none holding a line break; stops when found
  // returns false. `^` and `$` match at line starts and ends.
  void ForEachMatch(std::string_view text, const std::function<bool(std::size_t, std::size_t)>& found) const;

  explicit LogPattern(const std::string& expression, const RE2::Options& options, int group)
      : re_(expression, options), group_(group) {}

 private:
  RE2 re_;
  int group_;  // the group that is the match: 1 for hex, whose expression also takes the bytes around it
};
