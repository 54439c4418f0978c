// The serial device map: which device each port number COMn stands for.
// Both the \\.\COMn names and the registry keys under HARDWARE\DEVICEMAP are
// read from it.
#pragma once

#include <windows.h>

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "port_number_memory.h"
#include "serial_device_identity.h"

namespace platform {

constexpr DWORD kLowestPortNumber = 1;
constexpr DWORD kHighestPortNumber = 1024;

struct NetworkAddress;

struct SerialMapEntry {
  DWORD number;             // the n of COMn
  std::string devicePath;   // the device, with links resolved; a network port's address
  std::string description;  // for people: the device and what it is, or where a link points
  bool operator==(const SerialMapEntry&) const = default;
};

// Ordered by port number; no number and no device appears twice.
using SerialDeviceMap = std::vector<SerialMapEntry>;

// The links COMn in a ports folder whose targets exist, ordered by number,
// each with its resolved target, and those whose target is a network
// port's address (network_address.h). Of several links to one device or
// address only the lowest number is kept.
SerialDeviceMap readPortLinks(const std::filesystem::path& portsFolder);

// The links of the user's folder, then those of the runtime folder whose
// number and device the user's links leave free.
SerialDeviceMap mergePortLinks(const SerialDeviceMap& userLinks, const SerialDeviceMap& runtimeLinks);

// Numbers the devices. A link holds its number and the device it names.
// Every other device takes the number remembered for its identity, unless a
// link now holds that number; a device seen for the first time (or whose
// number a link took) gets the lowest number that no link, no remembered
// device (present or not) and no present device holds, and that number is
// added to `remembered`. Device nodes are compared as given.
SerialDeviceMap numberSerialDevices(const SerialDeviceMap& links, const std::vector<SerialDevice>& devices,
                                    RememberedNumbers& remembered);

// The user's configuration folder: $XDG_CONFIG_HOME/kestrix, or
// ~/.config/kestrix; empty when neither variable names a place.
std::filesystem::path configFolder();

// The user's ports folder: <configFolder>/ports.
std::filesystem::path portsFolder();

// The runtime ports folder, for links that must not outlive the session or
// their maker: $XDG_RUNTIME_DIR/kestrix/ports; without XDG_RUNTIME_DIR,
// /tmp/kestrix-<uid>/ports, used only while /tmp/kestrix-<uid> is a folder
// of the user's that no one else may write to (others could plant links).
std::filesystem::path runtimePortsFolder();
// Where the runtime ports folder is meant to be, whether or not it (or the
// folder it lies in) exists yet or may be read.
std::filesystem::path runtimePortsFolderPlace();

// The folders whose links the map reads, as they are named now. The
// runtime folder is named by its place, so that one made after the start
// (the launcher makes /tmp/kestrix-<uid> on its first run) is watched from
// the moment it appears; whether its links are read is decided then.
std::vector<std::filesystem::path> watchedPortsFolders();

// The map as it is now: the links of both ports folders and the machine's
// devices (as the lister in use gives them, machine_sources.h), numbered as
// above. New numbers are
// written to the remembered-numbers file.
SerialDeviceMap currentSerialDeviceMap();

// "COM" followed by the number, and the reverse: the number of a name such
// as COM7 (decimal, no leading zeros, 1 to 1024), or nothing. The prefix is
// matched in either case only when asked: device names ignore case, link
// names do not.
std::string portName(DWORD number);
// The friendly name of a network port: its address and its protocol.
std::string networkPortDescription(const NetworkAddress& address);
std::optional<DWORD> parsePortName(const std::string& name, bool prefixInAnyCase);

}  // namespace platform
