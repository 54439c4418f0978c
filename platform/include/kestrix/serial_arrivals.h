// When the bytes of a serial port arrived: a control code of this
// platform's serial ports, in the function range Windows leaves to vendors
// (0x800 and up). The port's reader thread reads every arrival as it comes
// and keeps each read(2)'s time with its bytes in the input queue; a reader
// asks for the times of what its last read returned.
//
// IOCTL_SERIAL_GET_READ_ARRIVALS: no input; the output is an array of
//   SERIAL_ARRIVAL, one for each arrival whose bytes the handle's last
//   ReadFile returned, in order, their dwBytes summing to what it read
//   (lpBytesReturned: the array's size in bytes). When more arrivals came
//   than the array holds, the last element counts the rest too and keeps
//   its own, earlier time. A read that returned nothing has no arrivals.
//
// Windows drivers do not know the code: they fail with ERROR_INVALID_FUNCTION
// (or another error), and a reader then takes the time of its own read.
#pragma once

#include <windows.h>
#include <winioctl.h>

// The program declares the same (comm/SerialArrivals.h); whichever header
// comes first defines them.
#ifndef SERIAL_ARRIVALS_DEFINED
#define SERIAL_ARRIVALS_DEFINED
#define IOCTL_SERIAL_GET_READ_ARRIVALS CTL_CODE(FILE_DEVICE_SERIAL_PORT, 0x800, METHOD_BUFFERED, FILE_ANY_ACCESS)
typedef struct _SERIAL_ARRIVAL {
  DWORD dwBytes;       // bytes of the read that came in this arrival
  FILETIME ftArrival;  // the system time (UTC) the port read them from the device
} SERIAL_ARRIVAL;
#endif
