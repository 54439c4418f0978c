#include "ports_folder.h"

#include <kestrix/platform_testing.h>

#include <cstdlib>
#include <filesystem>
#include <stdexcept>
#include <system_error>

namespace serial_lines {

PortsFolder::PortsFolder() {
  char pattern[] = "/tmp/kestrix-serial-lines-XXXXXX";
  if (::mkdtemp(pattern) == nullptr) throw std::runtime_error("cannot make a temporary ports folder");
  root_ = pattern;
  std::filesystem::create_directories(Ports());
  std::filesystem::create_directories(Locks());
  if (const char* home = std::getenv("XDG_CONFIG_HOME")) {
    hadConfigHome_ = true;
    savedConfigHome_ = home;
  }
  ::setenv("XDG_CONFIG_HOME", root_.c_str(), 1);
  // The runtime ports folder too is private: links the machine's users make
  // in theirs never reach a test's lists, and the machine's /tmp is not
  // watched for one to appear.
  std::filesystem::create_directories(root_ + "/run");
  std::filesystem::permissions(root_ + "/run", std::filesystem::perms::owner_all);
  if (const char* runtime = std::getenv("XDG_RUNTIME_DIR")) {
    hadRuntimeDir_ = true;
    savedRuntimeDir_ = runtime;
  }
  ::setenv("XDG_RUNTIME_DIR", (root_ + "/run").c_str(), 1);
  ExcludeSystemSerialDevicesForTesting(true);
  SetUucpLockFolderForTesting(Locks().c_str());
}

PortsFolder::~PortsFolder() {
  if (hadConfigHome_)
    ::setenv("XDG_CONFIG_HOME", savedConfigHome_.c_str(), 1);
  else
    ::unsetenv("XDG_CONFIG_HOME");
  if (hadRuntimeDir_)
    ::setenv("XDG_RUNTIME_DIR", savedRuntimeDir_.c_str(), 1);
  else
    ::unsetenv("XDG_RUNTIME_DIR");
  std::error_code ignored;
  std::filesystem::remove_all(root_, ignored);
}

}  // namespace serial_lines
