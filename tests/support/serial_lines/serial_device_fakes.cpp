#include "serial_device_fakes.h"

#include <kestrix/platform_testing.h>

namespace serial_lines {

SerialDeviceFakes::~SerialDeviceFakes() { ExcludeSystemSerialDevicesForTesting(true); }

void SerialDeviceFakes::Set(const std::vector<FakeSerialDevice>& devices) {
  std::vector<SerialDeviceForTesting> fakes;
  for (const FakeSerialDevice& device : devices)
    fakes.push_back({device.identity.c_str(), device.node.c_str(), device.description.c_str()});
  SetSerialDevicesForTesting(fakes.data(), fakes.size());
}

}  // namespace serial_lines
