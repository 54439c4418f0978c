// The machine's serial devices, read from udev's database.
#include <libudev.h>

#include <algorithm>
#include <filesystem>
#include <memory>

#include "serial_device_identity.h"

namespace platform {
namespace {

struct UdevDeleter {
  void operator()(udev* context) const { udev_unref(context); }
  void operator()(udev_enumerate* enumeration) const { udev_enumerate_unref(enumeration); }
  void operator()(udev_device* device) const { udev_device_unref(device); }
};
template <typename T>
using UdevPtr = std::unique_ptr<T, UdevDeleter>;

UdevTtyFacts factsOf(udev_device* device) {
  UdevTtyFacts facts;
  if (const char* name = udev_device_get_sysname(device)) facts.sysname = name;
  if (const char* node = udev_device_get_devnode(device)) facts.devnode = node;
  // Virtual terminals, consoles and pseudo-terminals have no device behind
  // them in sysfs.
  if (const char* syspath = udev_device_get_syspath(device)) {
    std::error_code error;
    facts.hasDevice = std::filesystem::exists(std::filesystem::path(syspath) / "device", error);
  }
  if (const char* type = udev_device_get_sysattr_value(device, "type")) facts.uartType = type;
  udev_list_entry* entry;
  udev_list_entry_foreach(entry, udev_device_get_properties_list_entry(device)) {
    const char* value = udev_list_entry_get_value(entry);
    facts.properties[udev_list_entry_get_name(entry)] = value ? value : "";
  }
  udev_list_entry_foreach(entry, udev_device_get_devlinks_list_entry(device)) {
    facts.devlinks.push_back(udev_list_entry_get_name(entry));
  }
  return facts;
}

}  // namespace

std::vector<SerialDevice> listSystemSerialDevices() {
  std::vector<SerialDevice> devices;
  UdevPtr<udev> context(udev_new());
  if (!context) return devices;
  UdevPtr<udev_enumerate> enumeration(udev_enumerate_new(context.get()));
  if (!enumeration) return devices;
  udev_enumerate_add_match_subsystem(enumeration.get(), "tty");
  udev_enumerate_scan_devices(enumeration.get());
  udev_list_entry* entry;
  udev_list_entry_foreach(entry, udev_enumerate_get_list_entry(enumeration.get())) {
    UdevPtr<udev_device> device(udev_device_new_from_syspath(context.get(), udev_list_entry_get_name(entry)));
    if (!device) continue;  // gone since the scan
    if (std::optional<SerialDevice> serial = serialDeviceFromFacts(factsOf(device.get())))
      devices.push_back(std::move(*serial));
  }
  std::sort(devices.begin(), devices.end(),
            [](const SerialDevice& a, const SerialDevice& b) { return deviceNameBefore(a.node, b.node); });
  makeIdentitiesUnique(devices);
  return devices;
}

}  // namespace platform
