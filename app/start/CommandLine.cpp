// --help, --version, and a clear refusal of anything else.
#include "CommandLine.h"

#include <cstring>

namespace {

const int kUsageError = 2;  // as command-line tools exit on a wrong argument

bool IsHelp(const char* szArgument) {
  return std::strcmp(szArgument, "--help") == 0 || std::strcmp(szArgument, "-h") == 0;
}

bool IsVersion(const char* szArgument) {
  return std::strcmp(szArgument, "--version") == 0 || std::strcmp(szArgument, "-V") == 0;
}

std::string HelpText(const char* szLogFolder) {
  return std::string(
             "Usage: kestrix [--help | --version]\n"
             "Watch and talk to two serial ports side by side.\n"
             "\n"
             "  -h, --help     print this help and exit\n"
             "  -V, --version  print the version and exit\n"
             "\n"
             "Without arguments the window opens.\n"
             "\n"
             "Ports are named COM1 to COM1024. A link named COMn in\n"
             "$XDG_CONFIG_HOME/kestrix/ports/ (~/.config/kestrix/ports/) names the device it\n"
             "points to; the machine's serial devices take the lowest free numbers.\n"
             "Opening a port needs membership of its group (dialout on Debian).\n"
             "\n"
             "Log files: ") +
         szLogFolder + "\n";
}

}  // namespace

CommandLineOutcome ReadCommandLine(int argc, const char* const* argv, const char* szLogFolder) {
  bool bHelp = false;
  bool bVersion = false;
  for (int i = 1; i < argc; ++i) {
    if (IsHelp(argv[i])) {
      bHelp = true;
    } else if (IsVersion(argv[i])) {
      bVersion = true;
    } else {
      const char* szKind = argv[i][0] == '-' && argv[i][1] != '\0' ? "unknown option" : "unexpected argument";
      return {false, kUsageError, "",
              std::string("kestrix: ") + szKind + " '" + argv[i] +
                  "'\n"
                  "Try 'kestrix --help' for more information.\n"};
    }
  }
  if (bHelp) return {false, 0, HelpText(szLogFolder), ""};
  if (bVersion) return {false, 0, "kestrix " KESTRIX_VERSION "\n", ""};
  return {true, 0, "", ""};
}
