#include "command_line_words.h"

namespace platform {
namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

}  // namespace

std::vector<std::string> CommandLineWords(const std::string& line) {
  std::vector<std::string> words;
  size_t at = 0;
  while (at < line.size() && IsBlank(line[at])) ++at;
  if (at == line.size()) return words;
  // The program's name: no backslash rules, a quote only delimits.
  std::string program;
  if (line[at] == '"') {
    const size_t end = line.find('"', at + 1);
    program = line.substr(at + 1, end == std::string::npos ? std::string::npos : end - at - 1);
    at = end == std::string::npos ? line.size() : end + 1;
  } else {
    while (at < line.size() && !IsBlank(line[at])) program += line[at++];
  }
  words.push_back(program);

  for (;;) {
    while (at < line.size() && IsBlank(line[at])) ++at;
    if (at == line.size()) return words;
    std::string word;
    bool quoted = false;
    while (at < line.size() && (quoted || !IsBlank(line[at]))) {
      if (line[at] == '\\') {
        size_t slashes = 0;
        while (at < line.size() && line[at] == '\\') ++slashes, ++at;
        if (at < line.size() && line[at] == '"') {
          word.append(slashes / 2, '\\');
          if (slashes % 2 == 1) {
            word += '"';
            ++at;
          }
        } else {
          word.append(slashes, '\\');
        }
      } else if (line[at] == '"') {
        if (quoted && at + 1 < line.size() && line[at + 1] == '"') {
          word += '"';
          at += 2;
        } else {
          quoted = !quoted;
          ++at;
        }
      } else {
        word += line[at++];
      }
    }
    words.push_back(word);
  }
}

}  // namespace platform
