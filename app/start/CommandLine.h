// The program's command line. The window needs no arguments; --help and
// --version answer before any window exists, and anything else is refused
// with a message rather than ignored.
#pragma once

#include <string>

struct CommandLineOutcome {
  bool bStartWindow;  // no arguments: start the window
  int nExitCode;      // when not starting it
  std::string Out;    // for standard output
  std::string Err;    // for standard error
};

// Reads the arguments after the program's name. szLogFolder is named in the
// help text.
CommandLineOutcome ReadCommandLine(int argc, const char* const* argv, const char* szLogFolder);
