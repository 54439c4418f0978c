// --help, --version, the panel options, and a clear refusal of anything
// else.
#include "CommandLine.h"

#include <cstring>

#include "CommandLineValues.h"
#include "FileErrorText.h"
#include "SetupText.h"
#include "SmallFiles.h"

namespace {

const int kUsageError = 2;  // as command-line tools exit on a wrong argument

bool IsHelp(const char* szArgument) {
  return std::strcmp(szArgument, "--help") == 0 || std::strcmp(szArgument, "-h") == 0;
}

bool IsVersion(const char* szArgument) {
  return std::strcmp(szArgument, "--version") == 0 || std::strcmp(szArgument, "-V") == 0;
}

// A panel option: its name before the panel's digit, how its value becomes
// the combo box's text, what the help says it takes, and where it goes.
struct PanelOption {
  const char* szName;
  std::optional<std::string> (*Choice)(const std::string&);
  const char* szTakes;
  std::optional<std::string> PanelStartChoices::*Field;
};

const PanelOption kPanelOptions[] = {
    {"port", PortChoice, "COM1 to COM1024, rfc2217://HOST:PORT or tcp://HOST:PORT", &PanelStartChoices::Port},
    {"baud", BaudChoice, "a rate from 50 to 4000000", &PanelStartChoices::Baud},
    {"parity", ParityChoice, "N, O, E, M, S or none, odd, even, mark, space", &PanelStartChoices::Parity},
    {"data", DataBitsChoice, "5, 6, 7 or 8", &PanelStartChoices::DataBits},
    {"stop", StopBitsChoice, "1, 1.5 or 2", &PanelStartChoices::StopBits},
};

std::string HelpText(const char* szLogFolder) {
  return std::string(
             "Usage: kestrix [--help | --version]\n"
             "       kestrix [--portN COMn] [--baudN RATE] [--parityN P] [--dataN BITS]\n"
             "               [--stopN BITS] [--open] [--settings FILE]\n"
             "       kestrix --script FILE.lua [--portN COMn] [--baudN RATE] ...\n"
             "Watch and talk to two serial ports side by side.\n"
             "\n"
             "  -h, --help        print this help and exit\n"
             "  -V, --version     print the version and exit\n"
             "\n"
             "Device panel N (1 or 2) starts with these choices made:\n"
             "  --portN COMn      the port, COM1 to COM1024, or a port on a server:\n"
             "                    rfc2217://HOST:PORT (RFC 2217, as ser2net serves it) or\n"
             "                    tcp://HOST:PORT (raw TCP); HOST a name, an IPv4 address\n"
             "                    or an IPv6 address in brackets\n"
             "  --baudN RATE      the baud rate, 50 to 4000000\n"
             "  --parityN P       N, O, E, M or S (none, odd, even, mark, space)\n"
             "  --dataN BITS      data bits, 5 to 8\n"
             "  --stopN BITS      stop bits, 1, 1.5 (with 5 data bits) or 2\n"
             "  --open            open every panel given a port, as its Open button does\n"
             "  --settings FILE   start with a setup saved by 保存配置… (Save setup…); the\n"
             "                    options above are made after it\n"
             "A value may also follow an equals sign (--baud1=115200). A wrong option or\n"
             "value is refused with exit status 2 and no window.\n"
             "Example: kestrix --port1 COM3 --baud1 115200 --port2 COM4 --baud2 9600 --open\n"
             "\n"
             "  --script FILE     run the Lua script FILE without a window: the panels\n"
             "                    given a port open it first, the script's output goes to\n"
             "                    standard output, its errors to standard error, and the\n"
             "                    exit status is the script's: 0 passed, 1 failed, 2 a bad\n"
             "                    argument, a port that cannot be opened or a script error\n"
             "\n"
             "Without arguments the window opens as it was left.\n"
             "\n"
             "Ports are named COM1 to COM1024. A link named COMn in\n"
             "$XDG_CONFIG_HOME/kestrix/ports/ (~/.config/kestrix/ports/) names the device it\n"
             "points to, or the server a link to rfc2217://HOST:PORT or tcp://HOST:PORT\n"
             "names; the machine's serial devices take the lowest free numbers. A server\n"
             "named by --portN gets such a link at the lowest free number, once.\n"
             "Opening a port needs membership of its group (dialout on Debian).\n"
             "\n"
             "Log files: ") +
         szLogFolder + "\n";
}

CommandLineOutcome UsageError(const std::string& Message) {
  return {false, kUsageError, "", "kestrix: " + Message + "\nTry 'kestrix --help' for more information.\n", {}};
}

// Reads "--<name><panel>" or "--<name><panel>=<value>" at argv[i], taking
// the next argument as the value in the first form. Empty when the
// argument is no panel option; an error message in Error when it is one
// used wrongly.
class PanelOptionReader {
 public:
  PanelOptionReader(int argc, const char* const* argv, StartChoices& Choices)
      : _argc(argc), _argv(argv), _Choices(Choices) {}

  // True when argv[i] was a panel option (i then moves past its value).
  bool Read(int& i, std::string& Error) {
    const std::string argument = _argv[i];
    const size_t equals = argument.find('=');
    const std::string name = argument.substr(0, equals);
    for (const PanelOption& option : kPanelOptions)
      for (int panel = 0; panel < 2; ++panel) {
        if (name != "--" + std::string(option.szName) + std::to_string(panel + 1)) continue;
        std::string value;
        if (equals != std::string::npos) {
          value = argument.substr(equals + 1);
        } else if (i + 1 < _argc) {
          value = _argv[++i];
        } else {
          Error = "option '" + name + "' needs a value (" + option.szTakes + ")";
          return true;
        }
        std::optional<std::string>& field = _Choices.Panels[panel].*option.Field;
        const std::optional<std::string> choice = option.Choice(value);
        if (field)
          Error = "option '" + name + "' is given twice";
        else if (!choice)
          Error = "invalid value '" + value + "' for '" + name + "' (" + option.szTakes + ")";
        else
          field = choice;
        return true;
      }
    return false;
  }

 private:
  int _argc;
  const char* const* _argv;
  StartChoices& _Choices;
};

// Why the setup file cannot be started with; empty when it can.
std::string SetupRefusal(const std::string& FileName) {
  std::string text;
  const DWORD dwError = ReadSmallFile(FileName.c_str(), text, kLargestSetup);
  if (dwError != ERROR_SUCCESS) return "cannot read setup file '" + FileName + "': " + FileErrorText(dwError).Utf8();
  const SetupCheck check = CheckSetupText(text);
  if (check.Passed()) return "";
  return "setup file '" + FileName + "', line " + std::to_string(check.Line) + ": " + check.Why.Utf8();
}

// What the options mean together: --open needs a port, and the two panels
// cannot open the same one.
std::string ChoicesConflict(const StartChoices& Choices) {
  const auto& port1 = Choices.Panels[0].Port;
  const auto& port2 = Choices.Panels[1].Port;
  if (port1 && port2 && *port1 == *port2) return "--port1 and --port2 both name " + *port1;
  if (Choices.Open && !port1 && !port2) return "option '--open' needs --port1 or --port2";
  return "";
}

}  // namespace

CommandLineOutcome ReadCommandLine(int argc, const char* const* argv, const char* szLogFolder) {
  bool bHelp = false;
  bool bVersion = false;
  StartChoices choices;
  PanelOptionReader panelOptions(argc, argv, choices);
  for (int i = 1; i < argc; ++i) {
    std::string error;
    if (IsHelp(argv[i])) {
      bHelp = true;
    } else if (IsVersion(argv[i])) {
      bVersion = true;
    } else if (std::strcmp(argv[i], "--open") == 0) {
      if (choices.Open) return UsageError("option '--open' is given twice");
      choices.Open = true;
    } else if (std::strncmp(argv[i], "--script", 8) == 0 && (argv[i][8] == '\0' || argv[i][8] == '=')) {
      if (choices.Script) return UsageError("option '--script' is given twice");
      if (argv[i][8] == '=')
        choices.Script = argv[i] + 9;
      else if (i + 1 < argc)
        choices.Script = argv[++i];
      else
        return UsageError("option '--script' needs a value (a script file)");
      if (choices.Script->empty()) return UsageError("option '--script' needs a value (a script file)");
    } else if (std::strncmp(argv[i], "--settings", 10) == 0 && (argv[i][10] == '\0' || argv[i][10] == '=')) {
      if (choices.Setup) return UsageError("option '--settings' is given twice");
      if (argv[i][10] == '\0' && i + 1 >= argc) return UsageError("option '--settings' needs a value (a setup file)");
      const std::string file = argv[i][10] == '=' ? std::string(argv[i] + 11) : std::string(argv[++i]);
      const std::string refusal = SetupRefusal(file);
      if (!refusal.empty()) return UsageError(refusal);
      choices.Setup = file;
    } else if (panelOptions.Read(i, error)) {
      if (!error.empty()) return UsageError(error);
    } else {
      const char* szKind = argv[i][0] == '-' && argv[i][1] != '\0' ? "unknown option" : "unexpected argument";
      return UsageError(std::string(szKind) + " '" + argv[i] + "'");
    }
  }
  if (bHelp) return {false, 0, HelpText(szLogFolder), "", {}};
  if (bVersion) return {false, 0, "kestrix " KESTRIX_VERSION "\n", "", {}};
  const std::string conflict = ChoicesConflict(choices);
  if (!conflict.empty()) return UsageError(conflict);
  return {true, 0, "", "", choices};
}
