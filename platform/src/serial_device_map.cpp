// The serial device map, built afresh whenever it is asked for, so that
// devices plugged in and links made while the program runs are seen.
//
// Numbering: a link COMn in the ports folder holds the number n. Every other
// serial device of the machine gets a number by this rule: the devices are
// sorted by name, with a trailing number compared as a number (ttyACM0,
// ttyACM1, ttyS0, ttyS2, ttyS10, ttyUSB0), and take in that order the lowest
// numbers from 1 up that no link holds. The same devices and links therefore
// always give the same numbers.
#include "serial_device_map.h"

#include <algorithm>
#include <atomic>
#include <cctype>
#include <cstdlib>
#include <fstream>
#include <set>

#include <kestrix/platform_testing.h>

namespace platform {
namespace fs = std::filesystem;
namespace {

std::atomic<bool> systemDevicesExcluded{false};

// The device a path leads to, with every link resolved; empty when it does
// not exist.
std::string resolvedDevice(const fs::path& path) {
  std::error_code error;
  fs::path target = fs::canonical(path, error);
  if (error) return {};
  return target.string();
}

bool startsWithDigit(const std::string& text, size_t at) {
  return at < text.size() && std::isdigit(static_cast<unsigned char>(text[at]));
}

// Name order with a trailing number compared as a number: ttyS2 < ttyS10.
bool deviceNameBefore(const std::string& left, const std::string& right) {
  auto split = [](const std::string& name) {
    size_t digits = name.size();
    while (digits > 0 && std::isdigit(static_cast<unsigned char>(name[digits - 1]))) --digits;
    // Leading zeros do not change the number; a longer digit run is larger.
    size_t significant = digits;
    while (significant + 1 < name.size() && name[significant] == '0') ++significant;
    return std::make_tuple(name.substr(0, digits), name.size() - significant, name.substr(significant));
  };
  auto leftParts = split(left);
  auto rightParts = split(right);
  if (leftParts != rightParts) return leftParts < rightParts;
  return left < right;
}

std::string readFirstLine(const fs::path& path) {
  std::ifstream file(path);
  std::string line;
  std::getline(file, line);
  return line;
}

bool isSerialDevice(const fs::path& ttyFolder) {
  std::error_code error;
  // Virtual terminals, consoles and pseudo-terminals have no device behind
  // them.
  if (!fs::exists(ttyFolder / "device", error)) return false;
  // Serial cores report the UART type; 0 means no UART answered at that
  // address (the unused ttyS ports every PC kernel creates).
  const fs::path type = ttyFolder / "type";
  if (fs::exists(type, error)) {
    const std::string value = readFirstLine(type);
    if (value.empty() || std::strtol(value.c_str(), nullptr, 10) == 0) return false;
  }
  return true;
}

}  // namespace

std::string portName(DWORD number) { return "COM" + std::to_string(number); }

std::optional<DWORD> parsePortName(const std::string& name, bool prefixInAnyCase) {
  if (name.size() < 4 || name.size() > 7) return std::nullopt;
  const std::string prefix = name.substr(0, 3);
  if (prefixInAnyCase) {
    if (!std::equal(prefix.begin(), prefix.end(), "COM",
                    [](char a, char b) { return std::toupper(static_cast<unsigned char>(a)) == b; }))
      return std::nullopt;
  } else if (prefix != "COM") {
    return std::nullopt;
  }
  if (name[3] == '0') return std::nullopt;
  DWORD number = 0;
  for (size_t i = 3; i < name.size(); ++i) {
    if (!startsWithDigit(name, i)) return std::nullopt;
    number = number * 10 + static_cast<DWORD>(name[i] - '0');
  }
  if (number < kLowestPortNumber || number > kHighestPortNumber) return std::nullopt;
  return number;
}

SerialDeviceMap readPortLinks(const fs::path& folder) {
  SerialDeviceMap links;
  std::error_code error;
  for (fs::directory_iterator entry(folder, error), end; !error && entry != end; entry.increment(error)) {
    // An entry that cannot be examined (removed meanwhile, or on a file
    // system that makes every entry be looked up) is skipped on its own;
    // the listing goes on, so no later link loses its number.
    std::error_code entryError;
    if (!entry->is_symlink(entryError)) continue;
    const std::optional<DWORD> number = parsePortName(entry->path().filename().string(), false);
    if (!number) continue;
    std::string device = resolvedDevice(entry->path());
    if (device.empty()) continue;  // a broken link stands for nothing
    links.push_back({*number, std::move(device)});
  }
  std::sort(links.begin(), links.end(), [](const auto& a, const auto& b) { return a.number < b.number; });
  // One device, one number: a second link to a device already mapped would
  // let one port be listed twice.
  std::set<std::string> seen;
  std::erase_if(links, [&](const SerialMapEntry& link) { return !seen.insert(link.devicePath).second; });
  return links;
}

std::vector<std::string> listSystemSerialDevices(const fs::path& ttyClassRoot, const fs::path& devRoot) {
  std::vector<std::string> names;
  std::error_code error;
  for (fs::directory_iterator entry(ttyClassRoot, error), end; !error && entry != end; entry.increment(error)) {
    if (isSerialDevice(entry->path())) names.push_back(entry->path().filename().string());
  }
  std::sort(names.begin(), names.end(), deviceNameBefore);
  std::vector<std::string> devices;
  for (const std::string& name : names) {
    // Resolved like link targets, so that a link to a device is recognised.
    std::string resolved = resolvedDevice(devRoot / name);
    devices.push_back(resolved.empty() ? (devRoot / name).string() : resolved);
  }
  return devices;
}

SerialDeviceMap combineSerialDeviceMap(SerialDeviceMap links, const std::vector<std::string>& systemDevices) {
  std::set<DWORD> taken;
  std::set<std::string> linked;
  for (const SerialMapEntry& link : links) {
    taken.insert(link.number);
    linked.insert(link.devicePath);
  }
  SerialDeviceMap map = std::move(links);
  DWORD candidate = kLowestPortNumber;
  for (const std::string& device : systemDevices) {
    if (linked.count(device)) continue;
    while (candidate <= kHighestPortNumber && taken.count(candidate)) ++candidate;
    if (candidate > kHighestPortNumber) break;
    taken.insert(candidate);
    map.push_back({candidate, device});
  }
  std::sort(map.begin(), map.end(), [](const auto& a, const auto& b) { return a.number < b.number; });
  return map;
}

fs::path portsFolder() {
  const char* config = std::getenv("XDG_CONFIG_HOME");
  if (config != nullptr && config[0] == '/') return fs::path(config) / "kestrix" / "ports";
  const char* home = std::getenv("HOME");
  if (home != nullptr && home[0] != '\0') return fs::path(home) / ".config" / "kestrix" / "ports";
  return {};
}

std::vector<fs::path> watchedPortsFolders() { return {portsFolder()}; }

SerialDeviceMap currentSerialDeviceMap() {
  SerialDeviceMap links;
  const fs::path folder = portsFolder();
  if (!folder.empty()) links = readPortLinks(folder);
  std::vector<std::string> devices;
  if (!systemDevicesExcluded.load()) devices = listSystemSerialDevices("/sys/class/tty", "/dev");
  return combineSerialDeviceMap(std::move(links), devices);
}

}  // namespace platform

void ExcludeSystemSerialDevicesForTesting(bool exclude) { platform::systemDevicesExcluded.store(exclude); }
