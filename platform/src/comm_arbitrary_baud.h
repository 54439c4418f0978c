// Line speeds through the kernel's termios2 interface, which takes any rate
// as a number. Kept apart because its headers clash with <termios.h>.
#pragma once

#include <windows.h>

namespace platform {

// Sets input and output speed to `rate` bits per second. False (errno set)
// when the device refuses.
bool setLineRate(int fd, DWORD rate);

// The output speed in bits per second as the device reports it; 0 (errno
// set) when it cannot be read.
DWORD readLineRate(int fd);

}  // namespace platform
