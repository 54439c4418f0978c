#include "terminal_sessions.h"

#include <sys/sysmacros.h>

#include <cstdlib>
#include <fstream>
#include <optional>
#include <sstream>

namespace platform {
namespace fs = std::filesystem;
namespace {

struct ProcessTerminal {
  pid_t session = 0;
  long terminal = 0;  // tty_nr: the controlling terminal's number, 0 for none
};

// Reads the session and tty_nr fields of /proc/<pid>/stat. The program name
// before them is in parentheses and may hold blanks and parentheses itself,
// so the fields are counted from the last ')'.
bool readProcessTerminal(const fs::path& statFile, ProcessTerminal* result) {
  std::ifstream in(statFile);
  std::string text;
  if (!std::getline(in, text)) return false;
  const size_t close = text.rfind(')');
  if (close == std::string::npos) return false;
  std::istringstream fields(text.substr(close + 1));
  std::string state;
  long parent, group, session, terminal;
  if (!(fields >> state >> parent >> group >> session >> terminal)) return false;
  result->session = static_cast<pid_t>(session);
  result->terminal = terminal;
  return true;
}

// tty_nr as the kernel encodes a device number.
dev_t deviceOfTerminalNumber(long terminalNumber) {
  const unsigned long number = static_cast<unsigned long>(terminalNumber);
  const unsigned int major = static_cast<unsigned int>((number >> 8) & 0xfff);
  const unsigned int minor = static_cast<unsigned int>((number & 0xff) | ((number >> 12) & 0xfff00));
  return ::makedev(major, minor);
}

// The kernel's names that stand for another terminal.
const dev_t kOwnTerminal = ::makedev(5, 0);     // /dev/tty
const dev_t kConsole = ::makedev(5, 1);         // /dev/console
const dev_t kCurrentConsole = ::makedev(4, 0);  // /dev/tty0

// The first line of a small file under /sys; empty when there is none.
std::string firstLine(const fs::path& file) {
  std::ifstream in(file);
  std::string line;
  std::getline(in, line);
  return line;
}

// The device number of the terminal /sys names `name` ("tty1", "ttyS0");
// tty0 stands for the virtual console in front.
std::optional<dev_t> namedTerminal(std::string name, const fs::path& sysRoot) {
  const fs::path ttys = sysRoot / "class" / "tty";
  if (name == "tty0") name = firstLine(ttys / "tty0" / "active");
  if (name.empty() || name.find('/') != std::string::npos) return std::nullopt;
  unsigned int major = 0, minor = 0;
  char colon = 0;
  std::istringstream numbers(firstLine(ttys / name / "dev"));
  if (!(numbers >> major >> colon >> minor) || colon != ':') return std::nullopt;
  return ::makedev(major, minor);
}

}  // namespace

pid_t sessionOnTerminal(dev_t terminal, const fs::path& procRoot) {
  pid_t member = 0;
  std::error_code error;
  for (fs::directory_iterator entry(procRoot, error), end; !error && entry != end; entry.increment(error)) {
    const std::string name = entry->path().filename().string();
    char* rest = nullptr;
    const long pid = std::strtol(name.c_str(), &rest, 10);
    if (pid <= 0 || *rest != '\0') continue;
    ProcessTerminal process;
    if (!readProcessTerminal(entry->path() / "stat", &process) || process.terminal == 0) continue;
    if (deviceOfTerminalNumber(process.terminal) != terminal) continue;
    if (process.session == pid) return process.session;
    if (member == 0) member = static_cast<pid_t>(pid);
  }
  return member;
}

std::vector<dev_t> terminalsReachedBy(dev_t node, const fs::path& procRoot, const fs::path& sysRoot) {
  std::vector<dev_t> terminals;
  if (node == kOwnTerminal) {
    ProcessTerminal self;
    if (readProcessTerminal(procRoot / "self" / "stat", &self) && self.terminal != 0)
      terminals.push_back(deviceOfTerminalNumber(self.terminal));
  } else if (node == kConsole) {
    // Every console the kernel writes to; /dev/console is the last of them.
    std::istringstream names(firstLine(sysRoot / "class" / "tty" / "console" / "active"));
    for (std::string name; names >> name;)
      if (const std::optional<dev_t> terminal = namedTerminal(name, sysRoot)) terminals.push_back(*terminal);
  } else if (node == kCurrentConsole) {
    if (const std::optional<dev_t> terminal = namedTerminal("tty0", sysRoot)) terminals.push_back(*terminal);
  } else {
    terminals.push_back(node);
  }
  return terminals;
}

std::string programOfProcess(pid_t pid, const fs::path& procRoot) {
  std::ifstream in(procRoot / std::to_string(pid) / "comm");
  std::string name;
  std::getline(in, name);
  return name;
}

}  // namespace platform
