// How a script's call fails: a ScriptError's text (UTF-8, in the window's
// language) is raised in the script at the line that made the call. A
// ScriptEnd unwinds a script that is being stopped or has ended itself
// (exit, fail); no script code can carry on past it.
#pragma once

#include <stdexcept>
#include <string>

#include <toolkit/toolkit.h>

class ScriptError : public std::runtime_error {
 public:
  explicit ScriptError(const std::string& Text) : std::runtime_error(Text) {}
  explicit ScriptError(const String& Text) : std::runtime_error(Text.Utf8()) {}
};

struct ScriptEnd {};
