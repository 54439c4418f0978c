// Lines by COM number in a private ports folder of their own.
#pragma once

#include <windows.h>

#include <map>
#include <memory>

#include "far_end.h"
#include "ports_folder.h"

namespace serial_lines {

class PortLines {
 public:
  // Makes COM<port> a fresh line, replacing any earlier one.
  FarEnd& Plug(DWORD port);
  // Closes the line and removes its link: the port's device is gone.
  void Unplug(DWORD port);
  // The line plugged as COM<port>; it must be there.
  FarEnd& operator[](DWORD port) const { return *lines_.at(port); }
  const PortsFolder& Folder() const { return folder_; }

 private:
  PortsFolder folder_;  // outlives the lines linked into it
  std::map<DWORD, std::unique_ptr<FarEnd>> lines_;
};

}  // namespace serial_lines
