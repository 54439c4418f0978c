// What an open port holds for its reader.
#pragma once

#include <windows.h>

namespace serial_lines {

// Bytes waiting in the port's input queue (ClearCommError's cbInQue); 0
// when the call fails.
DWORD QueuedInput(HANDLE hPort);

}  // namespace serial_lines
