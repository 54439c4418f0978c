// When a port's bytes arrived, where the system tells it: the Linux
// platform layer's serial ports answer a control code of their own
// (platform/include/kestrix/serial_arrivals.h says what it does). Windows
// drivers do not know it and fail it; the channel then takes the time of
// its own read.
#pragma once

#include <windows.h>
#include <winioctl.h>

#ifndef SERIAL_ARRIVALS_DEFINED
#define SERIAL_ARRIVALS_DEFINED
#define IOCTL_SERIAL_GET_READ_ARRIVALS CTL_CODE(FILE_DEVICE_SERIAL_PORT, 0x800, METHOD_BUFFERED, FILE_ANY_ACCESS)
typedef struct _SERIAL_ARRIVAL {
  DWORD dwBytes;       // bytes of the read that came in this arrival
  FILETIME ftArrival;  // the system time (UTC) the port read them from the device
} SERIAL_ARRIVAL;
#endif
