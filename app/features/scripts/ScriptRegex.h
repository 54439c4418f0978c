// A script's regular expression, on RE2: Perl's syntax without
// backreferences and lookaround, matched in time linear in the text, so
// that no pattern can hang a script on what a device sends. The program's
// one regular expression engine for scripts; the text is UTF-8.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace re2 {
class RE2;
}

class ScriptRegex {
 public:
  ScriptRegex();
  ~ScriptRegex();
  ScriptRegex(const ScriptRegex&) = delete;
  ScriptRegex& operator=(const ScriptRegex&) = delete;

  // False, with RE2's reason in Error, for a pattern that is not valid.
  bool Compile(const std::string& Pattern, std::string& Error);

  struct Found {
    size_t Begin = 0;
    size_t End = 0;
    std::vector<std::string> Groups;  // each capture; empty for one that took no part
  };
  // The leftmost match in Text; false when there is none.
  bool Search(std::string_view Text, Found& Match) const;

 private:
  std::unique_ptr<re2::RE2> re_;
};
