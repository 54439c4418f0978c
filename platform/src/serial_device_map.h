// The serial device map: which device each port number COMn stands for.
// Both the \\.\COMn names and the registry key HARDWARE\DEVICEMAP\SERIALCOMM
// are read from it.
#pragma once

#include <windows.h>

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace platform {

constexpr DWORD kLowestPortNumber = 1;
constexpr DWORD kHighestPortNumber = 1024;

struct SerialMapEntry {
  DWORD number;            // the n of COMn
  std::string devicePath;  // the device, with links resolved
  bool operator==(const SerialMapEntry&) const = default;
};

// Ordered by port number; no number and no device appears twice.
using SerialDeviceMap = std::vector<SerialMapEntry>;

// The links COMn in the ports folder whose targets exist, ordered by number,
// each with its resolved target. Of several links to one device only the
// lowest number is kept.
SerialDeviceMap readPortLinks(const std::filesystem::path& portsFolder);

// The serial devices of the machine, as paths under devRoot, found in the
// tty class folder of sysfs (ttyClassRoot is normally /sys/class/tty).
std::vector<std::string> listSystemSerialDevices(const std::filesystem::path& ttyClassRoot,
                                                 const std::filesystem::path& devRoot);

// The links first, then every device that no link names, numbered by the
// rule in serial_device_map.cpp.
SerialDeviceMap combineSerialDeviceMap(SerialDeviceMap links, const std::vector<std::string>& systemDevices);

// The ports folder: $XDG_CONFIG_HOME/kestrix/ports, or ~/.config/kestrix/ports.
std::filesystem::path portsFolder();

// The folders whose links the map reads, as they are named now.
std::vector<std::filesystem::path> watchedPortsFolders();

// The map as it is now, read from the ports folder and (unless tests left
// them out) the machine's devices.
SerialDeviceMap currentSerialDeviceMap();

// "COM" followed by the number, and the reverse: the number of a name such
// as COM7 (decimal, no leading zeros, 1 to 1024), or nothing. The prefix is
// matched in either case only when asked: device names ignore case, link
// names do not.
std::string portName(DWORD number);
std::optional<DWORD> parsePortName(const std::string& name, bool prefixInAnyCase);

}  // namespace platform
