// DefineDosDeviceA and QueryDosDeviceA on the serial device map: a COM
// name's definition is a link of that name in the user's ports folder.
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <set>
#include <string>

#include "io_object.h"
#include "network_address.h"
#include "serial_device_map.h"

namespace platform {
namespace {
namespace fs = std::filesystem;

BOOL fail(DWORD error) {
  SetLastError(error);
  return FALSE;
}

// Copies the strings, each ended by a zero, and a zero after them all.
DWORD copyList(const std::vector<std::string>& strings, LPSTR buffer, DWORD room) {
  size_t needed = 1;
  for (const std::string& text : strings) needed += text.size() + 1;
  if (buffer == nullptr || needed > room) {
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return 0;
  }
  char* out = buffer;
  for (const std::string& text : strings) {
    std::memcpy(out, text.c_str(), text.size() + 1);
    out += text.size() + 1;
  }
  *out = '\0';
  return static_cast<DWORD>(needed);
}

}  // namespace
}  // namespace platform

using namespace platform;

BOOL WINAPI DefineDosDeviceA(DWORD dwFlags, LPCSTR lpDeviceName, LPCSTR lpTargetPath) {
  if (lpDeviceName == nullptr) return fail(ERROR_INVALID_PARAMETER);
  const std::optional<DWORD> number = parsePortName(lpDeviceName, true);
  const fs::path folder = portsFolder();
  if (!number || folder.empty()) return fail(ERROR_INVALID_PARAMETER);
  const fs::path link = folder / portName(*number);
  std::error_code error;

  if (dwFlags & DDD_REMOVE_DEFINITION) {
    if (!fs::is_symlink(fs::symlink_status(link, error))) return fail(ERROR_FILE_NOT_FOUND);
    if ((dwFlags & DDD_EXACT_MATCH_ON_REMOVE) && lpTargetPath != nullptr) {
      const std::string target = fs::read_symlink(link, error).string();
      const std::optional<NetworkAddress> asked = parseNetworkAddress(lpTargetPath);
      const bool same = target == lpTargetPath || (asked && asked->text() == target);
      if (!same) return fail(ERROR_FILE_NOT_FOUND);
    }
    if (::unlink(link.c_str()) != 0) return fail(errorFromErrno(errno));
    return TRUE;
  }

  if (lpTargetPath == nullptr || lpTargetPath[0] == '\0') return fail(ERROR_INVALID_PARAMETER);
  std::string target = lpTargetPath;
  if (looksLikeNetworkAddress(target)) {
    const std::optional<NetworkAddress> address = parseNetworkAddress(target);
    if (!address) return fail(ERROR_INVALID_PARAMETER);
    target = address->text();
  } else if (target[0] != '/') {
    return fail(ERROR_INVALID_PARAMETER);
  }
  fs::create_directories(folder, error);
  if (fs::exists(fs::symlink_status(link, error))) return fail(ERROR_ALREADY_EXISTS);
  if (::symlink(target.c_str(), link.c_str()) != 0) return fail(errorFromErrno(errno));
  return TRUE;
}

DWORD WINAPI QueryDosDeviceA(LPCSTR lpDeviceName, LPSTR lpTargetPath, DWORD ucchMax) {
  const SerialDeviceMap map = currentSerialDeviceMap();
  if (lpDeviceName == nullptr) {
    // Numbers held for devices that are away are in use as well: a new
    // definition must not take one.
    std::set<DWORD> numbers;
    for (const SerialMapEntry& entry : map) numbers.insert(entry.number);
    const std::filesystem::path numbersFile = rememberedNumbersFile();
    if (!numbersFile.empty())
      for (const auto& [identity, number] : readRememberedNumbers(numbersFile)) numbers.insert(number);
    std::vector<std::string> names;
    for (DWORD number : numbers) names.push_back(portName(number));
    return copyList(names, lpTargetPath, ucchMax);
  }
  const std::optional<DWORD> number = parsePortName(lpDeviceName, true);
  auto entry =
      std::find_if(map.begin(), map.end(), [&](const SerialMapEntry& e) { return number && e.number == *number; });
  if (entry == map.end()) {
    SetLastError(ERROR_FILE_NOT_FOUND);
    return 0;
  }
  return copyList({entry->devicePath}, lpTargetPath, ucchMax);
}
