// What this layer reads of the machine, where another source may stand in
// for the system's own: the real-time clock, the serial devices udev lists,
// the folders UUCP lock files may go in, and announcements of devices coming
// and going. The program uses the system's; the platform_testing library
// puts its own in their place, so that tests run on a clock, devices and a
// lock folder that they control.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "serial_device_identity.h"

namespace platform {

// Nanoseconds since 1970 by the system's real-time clock.
int64_t systemRealtime();
// GetLocalTime reads this clock; null restores the system's.
void useRealtimeClock(int64_t (*clock)());

// The serial device map takes the machine's devices from this lister; an
// empty one restores udev's.
void useSerialDeviceLister(std::function<std::vector<SerialDevice>()> lister);

// Lock files go to the first writable folder of these (none: the port
// opens without a lock); empty restores /run/lock, then /var/lock.
void useUucpLockFolders(std::vector<std::string> folders);

// Tells the device monitor's listeners that devices changed, as an
// announcement from udev does.
void announceDeviceChange();

}  // namespace platform
