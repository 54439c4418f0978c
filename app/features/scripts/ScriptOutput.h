// Where a script's output goes: what it prints and what ended it with an
// error. Without a window, straight to standard output and standard error;
// in the window, kept until the window takes it for its output pane.
// Any thread.
#pragma once

#include <string>

#include "Locker.h"

class ScriptOutput {
 public:
  explicit ScriptOutput(bool Console) : _bConsole(Console) {}

  // A line (its break is added).
  void Print(const std::string& Utf8);
  void Error(const std::string& Utf8);
  // The lines not yet taken, in order, each ending in a line break.
  std::string Take();

 private:
  const bool _bConsole;
  LockerImpl _Lock;  // guards _Pending
  std::string _Pending;
};
