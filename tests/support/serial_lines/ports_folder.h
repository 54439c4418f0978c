// A private ports folder: a temporary folder that is the process's
// XDG_CONFIG_HOME (and, below it, XDG_RUNTIME_DIR) while it lives, holding the ports folder the serial
// device map reads COM names from (kestrix/ports) and the folder that takes
// the ports' lock files instead of /run/lock. The machine's own serial
// devices are left out of the map, so nothing opens a real port by accident.
#pragma once

#include <windows.h>

#include <string>

namespace serial_lines {

class PortsFolder {
 public:
  PortsFolder();
  // Gives back the earlier XDG_CONFIG_HOME and XDG_RUNTIME_DIR and removes the folder. The lock
  // folder stays pointed at the removed folder, which stands for a machine
  // without a writable lock folder: a port opened later makes no lock file
  // anywhere, never one in /run/lock.
  ~PortsFolder();
  PortsFolder(const PortsFolder&) = delete;
  PortsFolder& operator=(const PortsFolder&) = delete;

  const std::string& Root() const { return root_; }
  std::string Ports() const { return root_ + "/kestrix/ports"; }
  std::string Locks() const { return root_ + "/lock"; }
  // Where the link for COM<port> goes.
  std::string Link(DWORD port) const { return Ports() + "/COM" + std::to_string(port); }

 private:
  std::string root_;
  std::string savedConfigHome_;
  bool hadConfigHome_ = false;
  std::string savedRuntimeDir_;
  bool hadRuntimeDir_ = false;
};

}  // namespace serial_lines
