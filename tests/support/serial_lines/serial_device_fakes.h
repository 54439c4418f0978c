// Fake serial devices in place of the machine's, as if udev listed them,
// for tests of the device layer and of what the window shows of devices.
#pragma once

#include <string>
#include <vector>

namespace serial_lines {

struct FakeSerialDevice {
  std::string identity;  // what the COM number is remembered by
  std::string node;      // the device node
  std::string description;
};

class SerialDeviceFakes {
 public:
  SerialDeviceFakes() = default;
  // The machine's devices stay left out; the fakes are gone.
  ~SerialDeviceFakes();
  SerialDeviceFakes(const SerialDeviceFakes&) = delete;
  SerialDeviceFakes& operator=(const SerialDeviceFakes&) = delete;

  // These devices are now the machine's serial devices (none for an empty
  // list). Nothing is told of the change: SimulateDeviceEventForTesting
  // announces one as udev would.
  void Set(const std::vector<FakeSerialDevice>& devices);
};

}  // namespace serial_lines
