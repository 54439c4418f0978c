#include "ScriptRegex.h"

#include <re2/re2.h>

ScriptRegex::ScriptRegex() = default;
ScriptRegex::~ScriptRegex() = default;

bool ScriptRegex::Compile(const std::string& Pattern, std::string& Error) {
  RE2::Options options;
  options.set_log_errors(false);
  // A large expression still matches, more slowly, in linear time.
  options.set_max_mem(64 << 20);
  auto compiled = std::make_unique<RE2>(Pattern, options);
  if (!compiled->ok()) {
    Error = compiled->error();
    return false;
  }
  re_ = std::move(compiled);
  return true;
}

bool ScriptRegex::Search(std::string_view Text, Found& Match) const {
  if (!re_) return false;
  const int groups = re_->NumberOfCapturingGroups();
  std::vector<re2::StringPiece> pieces(static_cast<size_t>(groups) + 1);
  const re2::StringPiece text(Text.data(), Text.size());
  if (!re_->Match(text, 0, text.size(), RE2::UNANCHORED, pieces.data(), groups + 1)) return false;
  Match.Begin = static_cast<size_t>(pieces[0].data() - text.data());
  Match.End = Match.Begin + pieces[0].size();
  Match.Groups.clear();
  for (int n = 1; n <= groups; ++n) {
    const re2::StringPiece& group = pieces[static_cast<size_t>(n)];
    Match.Groups.push_back(group.data() != nullptr ? std::string(group.data(), group.size()) : std::string());
  }
  return true;
}
