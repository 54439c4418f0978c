#include "log_pattern.h"

#include <cctype>
#include <vector>

namespace {

// Hex digits in pairs, blanks between pairs allowed: "0d 0a", "0D0A".
// Returns the pairs, or none for anything else.
std::vector<std::string> HexPairs(const std::string& pattern) {
  std::string digits;
  for (char c : pattern) {
    if (std::isspace(static_cast<unsigned char>(c))) continue;
    if (!std::isxdigit(static_cast<unsigned char>(c))) return {};
    digits += c;
  }
  std::vector<std::string> pairs;
  if (digits.size() % 2 != 0) return pairs;
  for (std::size_t i = 0; i < digits.size(); i += 2) pairs.push_back(digits.substr(i, 2));
  return pairs;
}

}  // namespace

std::shared_ptr<const LogPattern> LogPattern::Make(const std::string& pattern, const TFindOptions& options) {
  if (pattern.empty()) return nullptr;
  RE2::Options re2;
  re2.set_never_nl(true);
  re2.set_log_errors(false);
  re2.set_case_sensitive(options.MatchCase && !options.Hex);
  // An expression's automata may take more than the default 8 MiB; past
  // this RE2 still matches, more slowly, in linear time.
  re2.set_max_mem(64 << 20);
  std::string expression;
  int group = 0;
  if (options.Hex) {
    const std::vector<std::string> pairs = HexPairs(pattern);
    if (pairs.empty()) return nullptr;
    // Shown pairs stand apart: a pair is never found inside an offset or
    // across two pairs. The digits around are taken too (RE2 does not look
    // around), and the pairs are the match.
    expression = "(?m)(?:^|[^0-9A-Fa-f])(";
    for (std::size_t i = 0; i < pairs.size(); ++i) expression += (i ? "\\s+" : "") + pairs[i];
    expression += ")(?:[^0-9A-Fa-f]|$)";
    group = 1;
  } else if (options.Regex) {
    expression = "(?m)" + pattern;
  } else {
    expression = RE2::QuoteMeta(pattern);
  }
  auto made = std::make_shared<LogPattern>(expression, re2, group);
  if (!made->re_.ok()) return nullptr;
  return made;
}

void LogPattern::ForEachMatch(std::string_view text, const std::function<bool(std::size_t, std::size_t)>& found) const {
  re2::StringPiece match[2];
  const re2::StringPiece whole(text.data(), text.size());
  std::size_t from = 0;
  while (from <= text.size() && re_.Match(whole, from, text.size(), RE2::UNANCHORED, match, group_ + 1)) {
    const re2::StringPiece& taken = match[group_];
    const std::size_t at = std::size_t(taken.data() - text.data());
    if (taken.empty()) {
      // An empty match finds nothing to show; look on from the next
      // character.
      from = std::size_t(match[0].data() - text.data()) + std::max<std::size_t>(1, match[0].size());
      while (from < text.size() && (static_cast<unsigned char>(text[from]) & 0xC0) == 0x80) ++from;
      continue;
    }
    if (!found(at, taken.size())) return;
    // Hex: the digit after the pairs may start the next match's blank.
    from = at + taken.size();
  }
}
