// The program's command line. --help and --version answer before any window
// exists; the panel options (--port1, --baud1, ..., --open) are checked
// here, all of them, so that a wrong one ends the program with a message
// before a window appears. Anything else is refused rather than ignored.
#pragma once

#include <optional>
#include <string>

// What the command line chose for one device panel: each text as the
// panel's combo box holds it ("COM3", "115200", "E (偶)", "7", "2"); unset
// choices leave the panel as it starts.
struct PanelStartChoices {
  std::optional<std::string> Port;
  std::optional<std::string> Baud;
  std::optional<std::string> Parity;
  std::optional<std::string> DataBits;
  std::optional<std::string> StopBits;
};

struct StartChoices {
  PanelStartChoices Panels[2];
  // A saved setup to start with (checked already); the panel options
  // above are made after it.
  std::optional<std::string> Setup;
  bool Open = false;  // open every panel given a port
  // --script FILE: the script runs without a window, its ports opened first;
  // the program ends with its status.
  std::optional<std::string> Script;
};

struct CommandLineOutcome {
  bool bStartWindow;  // start the window, with Choices made
  int nExitCode;      // when not starting it
  std::string Out;    // for standard output
  std::string Err;    // for standard error
  StartChoices Choices;
};

// Reads the arguments after the program's name. szLogFolder is named in the
// help text.
CommandLineOutcome ReadCommandLine(int argc, const char* const* argv, const char* szLogFolder);
