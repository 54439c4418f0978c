// One private ports folder for the whole serial test program, made on first
// use and removed when the program ends, and lines in it as COM<n>.
#pragma once

#include <windows.h>

#include <string>

#include "far_end.h"
#include "ports_folder.h"
#include "queued_input.h"
#include "wait_until.h"

namespace serial_test {

using serial_lines::QueuedInput;
using serial_lines::WaitUntil;

inline const serial_lines::PortsFolder& sharedPortsFolder() {
  static const serial_lines::PortsFolder folder;
  return folder;
}
inline std::string portsFolder() { return sharedPortsFolder().Ports(); }
inline std::string lockFolder() { return sharedPortsFolder().Locks(); }

// A pseudo-terminal pair whose terminal side is linked into the shared
// ports folder as COM<port>; the test holds the master side.
class FarEnd : public serial_lines::FarEnd {
 public:
  explicit FarEnd(DWORD port) : serial_lines::FarEnd(sharedPortsFolder(), port) {}
};

}  // namespace serial_test
