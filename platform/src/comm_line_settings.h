// Line settings: the mapping between a DCB and the termios record of a
// terminal device. Pure functions, so that every field can be checked
// without a device.
#pragma once

#include <termios.h>

#include <windows.h>

namespace platform {

// Whether the DCB describes settings a serial line can have: a baud rate
// above 0, 5 to 8 data bits, a known parity and stop bits, 1.5 stop bits only
// with 5 data bits and 2 only with more.
bool isValidLineSetting(const DCB& dcb);

// The termios record for the DCB, starting from `current` (a raw-mode record):
// data bits, parity (mark and space through CMSPAR), stop bits (1.5 as
// CSTOPB, which UARTs give as 1.5 with 5 data bits), parity checking, RTS/CTS
// and XON/XOFF flow control with its characters, and the speed when it is a
// standard rate. Reads stay raw and return as soon as one byte is there.
termios termiosForDcb(const DCB& dcb, const termios& current);

// The termios speed code of a standard rate, or 0 when the rate needs the
// arbitrary-rate interface.
speed_t standardSpeedCode(DWORD baudRate);
// The rate of a standard speed code, or 0.
DWORD rateOfSpeedCode(speed_t code);

// The DCB fields that termios holds, read back into `dcb` (the rate is given
// separately, as the device reports it); other fields are kept.
void readDcbFromTermios(const termios& settings, DWORD baudRate, DCB& dcb);

}  // namespace platform
