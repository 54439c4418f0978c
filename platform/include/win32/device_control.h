// DeviceIoControl (the control codes' macros are in winioctl.h).
#pragma once

#include "win32/types.h"

// Sends a control code to the device behind the handle. Completes before it
// returns (with lpOverlapped too: the record is completed). A code the
// device does not know fails with ERROR_INVALID_FUNCTION, as Windows
// drivers answer; a plain file knows none.
BOOL WINAPI DeviceIoControl(HANDLE hDevice, DWORD dwIoControlCode, LPVOID lpInBuffer, DWORD nInBufferSize,
                            LPVOID lpOutBuffer, DWORD nOutBufferSize, LPDWORD lpBytesReturned,
                            LPOVERLAPPED lpOverlapped);
