// Word of serial devices and port links coming and going. The platform
// turns it into WM_DEVICECHANGE for top-level windows, as the system does on
// Windows (kestrix/window_messaging.h).
#pragma once

#include <windows.h>

typedef void (*DeviceChangeListener)(void* context);

// Calls listener on the device monitor's own thread shortly after a serial
// device is added or removed, or a link in a ports folder is made or removed;
// changes that come close together are reported once. The monitor runs while
// some listener is subscribed and watches the ports folders as they are named
// when it starts. Returns the subscription (never 0).
DWORD SubscribeDeviceChanges(DeviceChangeListener listener, void* context);
// Once this returns, the listener is not running and is not called again.
void UnsubscribeDeviceChanges(DWORD subscription);
