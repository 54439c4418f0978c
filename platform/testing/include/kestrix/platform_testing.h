// Controls for tests and benchmarks (platform_testing library): they steer
// and observe the platform layer. The program never links them.
#pragma once

#include <windows.h>

// How a thread of this layer ended: its exit code, STILL_ACTIVE while it
// runs (platform_testing library).
BOOL WINAPI GetExitCodeThread(HANDLE hThread, LPDWORD lpExitCode);

// Makes GetLocalTime report the given time (advancing with the real clock
// from that moment on); null returns to the real clock.
void SetLocalClockForTesting(const SYSTEMTIME* now);

// Leaves the machine's own serial devices out of the serial device map, so
// that only the links in the ports folder are seen. No test may open a real
// port by accident.
void ExcludeSystemSerialDevicesForTesting(bool exclude);

// Puts these devices in place of the machine's serial devices, as if udev
// had listed them (an identity, a node that the test made, and what the
// device is); the count may be 0. ExcludeSystemSerialDevicesForTesting
// ends it.
struct SerialDeviceForTesting {
  const char* identity;
  const char* node;
  const char* description;
};
void SetSerialDevicesForTesting(const SerialDeviceForTesting* devices, size_t count);

// The next completed WaitCommEvent on the port reports exactly this value.
BOOL InjectCommEventForTesting(HANDLE hPort, DWORD eventValue);

// The next ClearCommError on the port reports these error flags.
BOOL InjectCommErrorsForTesting(HANDLE hPort, DWORD errors);

// Gives the port modem lines that live in memory instead of the device's
// (a pseudo-terminal has none): from now on the port reports inputLines
// (MS_CTS_ON, MS_DSR_ON, MS_RING_ON, MS_RLSD_ON) as its input lines, raises
// the events of those that changed, and keeps what DTR and RTS are set to.
BOOL SetModemLinesForTesting(HANDLE hPort, DWORD inputLines);

// Whether the port drives DTR and RTS high, on lines given by
// SetModemLinesForTesting.
BOOL GetControlLinesForTesting(HANDLE hPort, BOOL* dtr, BOOL* rts);

// Whether a break is on at the port (EscapeCommFunction SETBREAK until
// CLRBREAK), and how many breaks were started on it, on lines given by
// SetModemLinesForTesting: a pseudo-terminal takes a break without showing
// it to its far end.
BOOL GetBreakStateForTesting(HANDLE hPort, BOOL* on, DWORD* started);

// The device monitor acts as if udev had announced a serial device coming or
// going.
void SimulateDeviceEventForTesting();

// UUCP lock files go to this folder instead of /run/lock; null returns to
// the system's folders. A folder that does not exist stands for a machine
// without a writable lock folder.
void SetUucpLockFolderForTesting(const char* folder);

// How long a network port's connect may take before it is given up; 0
// gives the usual few seconds back.
void SetNetworkConnectTimeForTesting(DWORD milliseconds);
// Ends every background redial of a lost network port's server.
void ForgetNetworkRedialsForTesting();
