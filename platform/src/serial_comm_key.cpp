// The registry, as far as this platform has one: the key
// HARDWARE\DEVICEMAP\SERIALCOMM under HKEY_LOCAL_MACHINE. Each of its values
// is named by a device path and holds the port name ("COM3", REG_SZ). Its
// subkey FriendlyNames names each port the way Windows shows a device's
// friendly name: a value per port name ("COM3") holding, in the ANSI code
// page, the device and what it is ("/dev/ttyUSB0 · FTDI FT232R USB UART ·
// A50285BI") or where a link points. An open key keeps the map as it was
// when the key was opened, so that counting and listing its values agree.
#include <algorithm>
#include <cctype>
#include <cstring>
#include <string>

#include "kernel_object.h"
#include "serial_device_map.h"

namespace platform {
namespace {

constexpr const char* kSerialCommKey = "HARDWARE\\DEVICEMAP\\SERIALCOMM";
constexpr const char* kFriendlyNamesSubKey = "FriendlyNames";

struct RegistryValue {
  std::string name;
  std::string text;
};

// UTF-8 text in the ANSI code page; characters it lacks become '?'.
std::string ansiText(const std::string& utf8) {
  if (utf8.empty()) return {};
  const int length = static_cast<int>(utf8.size());
  const int wide = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), length, nullptr, 0);
  if (wide <= 0) return {};
  std::u16string text(static_cast<size_t>(wide), u'\0');
  MultiByteToWideChar(CP_UTF8, 0, utf8.data(), length, text.data(), wide);
  const int narrow = WideCharToMultiByte(CP_ACP, 0, text.data(), wide, nullptr, 0, nullptr, nullptr);
  if (narrow <= 0) return {};
  std::string ansi(static_cast<size_t>(narrow), '\0');
  WideCharToMultiByte(CP_ACP, 0, text.data(), wide, ansi.data(), narrow, nullptr, nullptr);
  return ansi;
}

class RegistryKey : public KernelObject {
 public:
  RegistryKey(const SerialDeviceMap& map, bool friendlyNames) {
    hasSubKey = !friendlyNames;
    for (const SerialMapEntry& entry : map) {
      if (friendlyNames)
        values.push_back({portName(entry.number), ansiText(entry.description)});
      else
        values.push_back({entry.devicePath, portName(entry.number)});
    }
  }
  std::vector<RegistryValue> values;
  bool hasSubKey;
};

bool sameTextIgnoringCase(const char* left, const std::string& right) {
  const size_t length = std::strlen(left);
  if (length != right.size()) return false;
  for (size_t i = 0; i < length; ++i) {
    if (std::tolower(static_cast<unsigned char>(left[i])) != std::tolower(static_cast<unsigned char>(right[i])))
      return false;
  }
  return true;
}

// HKEY_CLASSES_ROOT to HKEY_USERS and the few roots after them.
bool isPredefinedRoot(HKEY key) {
  const auto value = reinterpret_cast<uintptr_t>(key);
  return value >= reinterpret_cast<uintptr_t>(HKEY_CLASSES_ROOT) &&
         value <= reinterpret_cast<uintptr_t>(HKEY_CLASSES_ROOT) + 0x60;
}

LSTATUS openSerialCommKey(HKEY parent, LPCSTR subKey, PHKEY result) {
  if (result == nullptr) return ERROR_INVALID_PARAMETER;
  *result = nullptr;
  if (parent != HKEY_LOCAL_MACHINE) {
    // Other roots and keys below the serial key hold nothing.
    const bool known = isPredefinedRoot(parent) || lookupHandleAs<RegistryKey>(reinterpret_cast<HANDLE>(parent));
    return known ? ERROR_FILE_NOT_FOUND : ERROR_INVALID_HANDLE;
  }
  if (subKey == nullptr) return ERROR_FILE_NOT_FOUND;
  const std::string friendlyNamesKey = std::string(kSerialCommKey) + "\\" + kFriendlyNamesSubKey;
  const bool friendlyNames = sameTextIgnoringCase(subKey, friendlyNamesKey);
  if (!friendlyNames && !sameTextIgnoringCase(subKey, kSerialCommKey)) return ERROR_FILE_NOT_FOUND;
  HANDLE handle = insertHandle(std::make_shared<RegistryKey>(currentSerialDeviceMap(), friendlyNames));
  *result = reinterpret_cast<HKEY>(handle);
  return ERROR_SUCCESS;
}

std::shared_ptr<RegistryKey> keyOf(HKEY key) { return lookupHandleAs<RegistryKey>(reinterpret_cast<HANDLE>(key)); }

// Copies a value's data as Windows does: with no buffer only the size is
// reported; a buffer that is too small gets nothing, the size needed and
// ERROR_MORE_DATA.
LSTATUS copyValueData(const RegistryValue& value, LPDWORD type, LPBYTE data, LPDWORD dataSize) {
  if (type) *type = REG_SZ;
  const DWORD needed = static_cast<DWORD>(value.text.size() + 1);
  if (data != nullptr && dataSize == nullptr) return ERROR_INVALID_PARAMETER;
  if (dataSize == nullptr) return ERROR_SUCCESS;
  if (data == nullptr) {
    *dataSize = needed;
    return ERROR_SUCCESS;
  }
  const DWORD room = *dataSize;
  *dataSize = needed;
  if (room < needed) return ERROR_MORE_DATA;
  std::memcpy(data, value.text.c_str(), needed);
  return ERROR_SUCCESS;
}

}  // namespace
}  // namespace platform

using namespace platform;

LSTATUS WINAPI RegOpenKeyExA(HKEY hKey, LPCSTR lpSubKey, DWORD, REGSAM, PHKEY phkResult) {
  return openSerialCommKey(hKey, lpSubKey, phkResult);
}

// Opens the key when it exists; no key is ever created.
LSTATUS WINAPI RegCreateKeyExA(HKEY hKey, LPCSTR lpSubKey, DWORD, LPSTR, DWORD, REGSAM, LPSECURITY_ATTRIBUTES,
                               PHKEY phkResult, LPDWORD lpdwDisposition) {
  const LSTATUS status = openSerialCommKey(hKey, lpSubKey, phkResult);
  if (status == ERROR_SUCCESS && lpdwDisposition) *lpdwDisposition = REG_OPENED_EXISTING_KEY;
  return status;
}

LSTATUS WINAPI RegEnumValueA(HKEY hKey, DWORD dwIndex, LPSTR lpValueName, LPDWORD lpcchValueName, LPDWORD,
                             LPDWORD lpType, LPBYTE lpData, LPDWORD lpcbData) {
  std::shared_ptr<RegistryKey> key = keyOf(hKey);
  if (!key) return ERROR_INVALID_HANDLE;
  if (lpValueName == nullptr || lpcchValueName == nullptr) return ERROR_INVALID_PARAMETER;
  if (dwIndex >= key->values.size()) return ERROR_NO_MORE_ITEMS;
  const RegistryValue& value = key->values[dwIndex];
  // The name needs room for its ending zero; a name that does not fit is
  // not copied.
  if (*lpcchValueName <= value.name.size()) return ERROR_MORE_DATA;
  std::memcpy(lpValueName, value.name.c_str(), value.name.size() + 1);
  *lpcchValueName = static_cast<DWORD>(value.name.size());
  return copyValueData(value, lpType, lpData, lpcbData);
}

LSTATUS WINAPI RegQueryValueExA(HKEY hKey, LPCSTR lpValueName, LPDWORD, LPDWORD lpType, LPBYTE lpData,
                                LPDWORD lpcbData) {
  std::shared_ptr<RegistryKey> key = keyOf(hKey);
  if (!key) return ERROR_INVALID_HANDLE;
  // The key has no default (unnamed) value.
  if (lpValueName == nullptr) return ERROR_FILE_NOT_FOUND;
  auto found = std::find_if(key->values.begin(), key->values.end(),
                            [&](const RegistryValue& value) { return sameTextIgnoringCase(lpValueName, value.name); });
  if (found == key->values.end()) return ERROR_FILE_NOT_FOUND;
  return copyValueData(*found, lpType, lpData, lpcbData);
}

LSTATUS WINAPI RegCloseKey(HKEY hKey) {
  if (hKey == HKEY_LOCAL_MACHINE) return ERROR_SUCCESS;
  HANDLE handle = reinterpret_cast<HANDLE>(hKey);
  if (!lookupHandleAs<RegistryKey>(handle)) return ERROR_INVALID_HANDLE;
  std::shared_ptr<KernelObject> key = removeHandle(handle);
  if (!key) return ERROR_INVALID_HANDLE;
  key->onClose();
  return ERROR_SUCCESS;
}
