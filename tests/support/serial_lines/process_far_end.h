// A far end held by a program of its own, as a device's other side often
// is (socat, a simulator): a child process holds the master side of a
// pseudo-terminal pair whose terminal side is linked as a port (a ports
// folder's COM<n>, PortsFolder::Link), reading and
// dropping what comes and, when streaming, sending a steady 6.4 KB/s. The
// line hangs up when that process ends, however it ends.
#pragma once

#include <sys/types.h>

#include <string>

namespace serial_lines {

class ProcessFarEnd {
 public:
  ProcessFarEnd(const std::string& linkPath, bool streaming);
  // Ends the child if it still runs and removes the link.
  ~ProcessFarEnd();
  ProcessFarEnd(const ProcessFarEnd&) = delete;
  ProcessFarEnd& operator=(const ProcessFarEnd&) = delete;

  // Sends the child the signal, waits for it to end, then removes the link:
  // an unplug as a far end's program that is told to stop does it.
  void End(int signal);

 private:
  pid_t child_ = -1;
  std::string linkPath_;
};

}  // namespace serial_lines
