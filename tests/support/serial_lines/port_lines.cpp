#include "port_lines.h"

namespace serial_lines {

FarEnd& PortLines::Plug(DWORD port) {
  Unplug(port);  // first, so that the old line's link goes before the new one is made
#ifdef _WIN32
  return *lines_.emplace(port, std::make_unique<FarEnd>(port)).first->second;
#else
  return *lines_.emplace(port, std::make_unique<FarEnd>(folder_, port)).first->second;
#endif
}

void PortLines::Unplug(DWORD port) { lines_.erase(port); }

}  // namespace serial_lines
