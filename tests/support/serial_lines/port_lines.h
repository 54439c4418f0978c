// Lines by COM number: on Linux in a private ports folder of their own,
// under Wine in the prefix's lines folder, through the far-end helper.
#pragma once

#include <windows.h>

#include <map>
#include <memory>

#ifdef _WIN32
#include "remote_far_end.h"
#else
#include "far_end.h"
#include "ports_folder.h"
#endif

namespace serial_lines {

class PortLines {
 public:
  // Makes COM<port> a fresh line, replacing any earlier one.
  FarEnd& Plug(DWORD port);
  // Closes the line and removes its link: the port's device is gone.
  void Unplug(DWORD port);
  // The line plugged as COM<port>; it must be there.
  FarEnd& operator[](DWORD port) const { return *lines_.at(port); }
#ifndef _WIN32
  const PortsFolder& Folder() const { return folder_; }
#endif

 private:
#ifndef _WIN32
  PortsFolder folder_;  // outlives the lines linked into it
#endif
  std::map<DWORD, std::unique_ptr<FarEnd>> lines_;
};

}  // namespace serial_lines
