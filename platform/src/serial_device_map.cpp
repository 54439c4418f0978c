// The serial device map, built afresh whenever it is asked for, so that
// devices plugged in and links made while the program runs are seen.
#include "serial_device_map.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <map>
#include <mutex>
#include <set>

#include "machine_sources.h"
#include "network_address.h"

namespace platform {
namespace fs = std::filesystem;
namespace {

// Lists the machine's devices; udev's lister unless another was put in
// its place.
std::mutex listerLock;
std::function<std::vector<SerialDevice>()> lister;

// Numbering reads and writes the remembered numbers; one at a time in this
// process (a file lock keeps other processes in step).
std::mutex numberingLock;

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

bool byNumber(const SerialMapEntry& a, const SerialMapEntry& b) { return a.number < b.number; }

std::vector<SerialDevice> presentDevices() {
  std::function<std::vector<SerialDevice>()> current;
  {
    std::lock_guard<std::mutex> guard(listerLock);
    current = lister;
  }
  return current ? current() : listSystemSerialDevices();
}

// Held while the remembered numbers are read, changed and written, so that
// two programs plugging in at once cannot give out one number twice.
class NumbersFileLock {
 public:
  explicit NumbersFileLock(const fs::path& numbersFile) {
    std::error_code error;
    fs::create_directories(numbersFile.parent_path(), error);
    // Only a regular file of that name is locked: a pipe or device there is
    // neither waited on nor kept (the numbers then go unlocked).
    fd_ =
        ::open((numbersFile.string() + ".lock").c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0600);
    struct stat status;
    if (fd_ >= 0 && (::fstat(fd_, &status) != 0 || !S_ISREG(status.st_mode))) {
      ::close(fd_);
      fd_ = -1;
    }
    if (fd_ >= 0) ::flock(fd_, LOCK_EX);
  }
  ~NumbersFileLock() {
    if (fd_ >= 0) ::close(fd_);
  }
  NumbersFileLock(const NumbersFileLock&) = delete;
  NumbersFileLock& operator=(const NumbersFileLock&) = delete;

 private:
  int fd_ = -1;
};

}  // namespace

std::string portName(DWORD number) { return "COM" + std::to_string(number); }

std::string networkPortDescription(const NetworkAddress& address) {
  return address.text() +
         (address.protocol == NetworkProtocol::Rfc2217 ? " · network port (RFC 2217)" : " · network port (raw TCP)");
}

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
    // A link whose target is a network address stands for a port on a
    // server; one that does not read as an address stands for nothing.
    const std::string target = fs::read_symlink(entry->path(), entryError).string();
    if (!entryError && looksLikeNetworkAddress(target)) {
      if (std::optional<NetworkAddress> address = parseNetworkAddress(target))
        links.push_back({*number, address->text(), networkPortDescription(*address)});
      continue;
    }
    std::string device = resolvedDevice(entry->path());
    if (device.empty()) continue;  // a broken link stands for nothing
    links.push_back({*number, device, entry->path().string() + " → " + device});
  }
  std::sort(links.begin(), links.end(), byNumber);
  // One device, one number: a second link to a device already mapped would
  // let one port be listed twice.
  std::set<std::string> seen;
  std::erase_if(links, [&](const SerialMapEntry& link) { return !seen.insert(link.devicePath).second; });
  return links;
}

SerialDeviceMap mergePortLinks(const SerialDeviceMap& userLinks, const SerialDeviceMap& runtimeLinks) {
  SerialDeviceMap links = userLinks;
  std::set<DWORD> numbers;
  std::set<std::string> devices;
  for (const SerialMapEntry& link : userLinks) {
    numbers.insert(link.number);
    devices.insert(link.devicePath);
  }
  for (const SerialMapEntry& link : runtimeLinks) {
    if (numbers.count(link.number) || devices.count(link.devicePath)) continue;
    links.push_back(link);
  }
  std::sort(links.begin(), links.end(), byNumber);
  return links;
}

SerialDeviceMap numberSerialDevices(const SerialDeviceMap& links, const std::vector<SerialDevice>& devices,
                                    RememberedNumbers& remembered) {
  std::set<DWORD> taken;
  std::map<std::string, const SerialDevice*> byNode;
  for (const SerialDevice& device : devices) byNode.emplace(device.node, &device);

  SerialDeviceMap map;
  for (SerialMapEntry link : links) {
    taken.insert(link.number);
    auto device = byNode.find(link.devicePath);
    if (device != byNode.end() && !device->second->description.empty())
      link.description += " · " + device->second->description;
    map.push_back(std::move(link));
  }
  auto describe = [](const SerialDevice& device) {
    return device.description.empty() ? device.node : device.node + " · " + device.description;
  };

  std::vector<const SerialDevice*> unnumbered;
  for (const SerialDevice& device : devices) {
    const bool linked = std::any_of(links.begin(), links.end(),
                                    [&](const SerialMapEntry& link) { return link.devicePath == device.node; });
    if (linked) continue;
    auto known = remembered.find(device.identity);
    if (known != remembered.end() && !taken.count(known->second)) {
      taken.insert(known->second);
      map.push_back({known->second, device.node, describe(device)});
    } else {
      unnumbered.push_back(&device);
    }
  }

  // Numbers that absent devices will want back are not given away.
  std::set<DWORD> held = taken;
  for (const auto& [identity, number] : remembered) held.insert(number);
  DWORD candidate = kLowestPortNumber;
  for (const SerialDevice* device : unnumbered) {
    while (candidate <= kHighestPortNumber && held.count(candidate)) ++candidate;
    if (candidate > kHighestPortNumber) break;
    held.insert(candidate);
    remembered[device->identity] = candidate;
    map.push_back({candidate, device->node, describe(*device)});
  }
  std::sort(map.begin(), map.end(), byNumber);
  return map;
}

fs::path configFolder() {
  const char* config = std::getenv("XDG_CONFIG_HOME");
  if (config != nullptr && config[0] == '/') return fs::path(config) / "kestrix";
  const char* home = std::getenv("HOME");
  if (home != nullptr && home[0] != '\0') return fs::path(home) / ".config" / "kestrix";
  return {};
}

fs::path portsFolder() {
  const fs::path folder = configFolder();
  return folder.empty() ? fs::path() : folder / "ports";
}

fs::path runtimePortsFolderPlace() {
  const char* runtime = std::getenv("XDG_RUNTIME_DIR");
  if (runtime != nullptr && runtime[0] == '/') return fs::path(runtime) / "kestrix" / "ports";
  return fs::path("/tmp/kestrix-" + std::to_string(::getuid())) / "ports";
}

fs::path runtimePortsFolder() {
  const fs::path folder = runtimePortsFolderPlace();
  const char* runtime = std::getenv("XDG_RUNTIME_DIR");
  if (runtime != nullptr && runtime[0] == '/') return folder;
  const fs::path base = folder.parent_path();
  struct stat status;
  if (::lstat(base.c_str(), &status) != 0 || !S_ISDIR(status.st_mode) || status.st_uid != ::getuid() ||
      (status.st_mode & 077) != 0)
    return {};
  return folder;
}

std::vector<fs::path> watchedPortsFolders() { return {portsFolder(), runtimePortsFolderPlace()}; }

SerialDeviceMap currentSerialDeviceMap() {
  const fs::path userFolder = portsFolder();
  const fs::path runtimeFolder = runtimePortsFolder();
  const SerialDeviceMap links =
      mergePortLinks(userFolder.empty() ? SerialDeviceMap() : readPortLinks(userFolder),
                     runtimeFolder.empty() ? SerialDeviceMap() : readPortLinks(runtimeFolder));
  std::vector<SerialDevice> devices = presentDevices();
  // Resolved like link targets, so that a link to a device is recognised.
  for (SerialDevice& device : devices) {
    std::string resolved = resolvedDevice(device.node);
    if (!resolved.empty()) device.node = std::move(resolved);
  }

  std::lock_guard<std::mutex> guard(numberingLock);
  const fs::path numbersFile = rememberedNumbersFile();
  RememberedNumbers remembered = numbersFile.empty() ? RememberedNumbers() : readRememberedNumbers(numbersFile);
  const RememberedNumbers before = remembered;
  SerialDeviceMap map = numberSerialDevices(links, devices, remembered);
  if (remembered == before || numbersFile.empty()) return map;

  // New devices: number them again under the file lock, from the file as it
  // is now, in case another program numbered a device meanwhile.
  NumbersFileLock fileLock(numbersFile);
  remembered = readRememberedNumbers(numbersFile);
  const RememberedNumbers reread = remembered;
  map = numberSerialDevices(links, devices, remembered);
  if (remembered != reread) writeRememberedNumbers(numbersFile, remembered);
  return map;
}

void useSerialDeviceLister(std::function<std::vector<SerialDevice>()> replacement) {
  std::lock_guard<std::mutex> guard(listerLock);
  lister = std::move(replacement);
}

}  // namespace platform
