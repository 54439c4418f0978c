// Controls for tests. The program never calls these.
#pragma once

#include <windows.h>

// Makes GetLocalTime report the given time (advancing with the real clock
// from that moment on); null returns to the real clock.
void SetLocalClockForTesting(const SYSTEMTIME* now);

// Leaves the machine's own serial devices out of the serial device map, so
// that only the links in the ports folder are seen. No test may open a real
// port by accident.
void ExcludeSystemSerialDevicesForTesting(bool exclude);

// The next completed WaitCommEvent on the port reports exactly this value.
BOOL InjectCommEventForTesting(HANDLE hPort, DWORD eventValue);

// The next ClearCommError on the port reports these error flags.
BOOL InjectCommErrorsForTesting(HANDLE hPort, DWORD errors);
