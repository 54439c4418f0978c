#include "terminal_sessions.h"

#include <sys/sysmacros.h>

#include <cstdlib>
#include <fstream>
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

bool sameDevice(long terminalNumber, dev_t device) {
  const unsigned long number = static_cast<unsigned long>(terminalNumber);
  const unsigned int major = static_cast<unsigned int>((number >> 8) & 0xfff);
  const unsigned int minor = static_cast<unsigned int>((number & 0xff) | ((number >> 12) & 0xfff00));
  return major == ::major(device) && minor == ::minor(device);
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
    if (!sameDevice(process.terminal, terminal)) continue;
    if (process.session == pid) return process.session;
    if (member == 0) member = static_cast<pid_t>(pid);
  }
  return member;
}

std::string programOfProcess(pid_t pid, const fs::path& procRoot) {
  std::ifstream in(procRoot / std::to_string(pid) / "comm");
  std::string name;
  std::getline(in, name);
  return name;
}

}  // namespace platform
