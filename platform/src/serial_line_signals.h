// The modem lines, break and error counters of a port's device, as the port
// reads and drives them. An open port uses its device's own (ioctl on the
// terminal); lines may also live in memory, for a device without any such
// as a pseudo-terminal (the platform_testing library gives ports those).
#pragma once

#include <linux/serial.h>

#include <memory>

namespace platform {

class LineSignals {
 public:
  virtual ~LineSignals() = default;
  // The lines as TIOCM_* bits; false when they cannot be read.
  virtual bool readModemLines(int* lines) = 0;
  // Raises or drops one of TIOCM_DTR and TIOCM_RTS.
  virtual bool setControlLine(int line, bool on) = 0;
  // Starts (on) or ends a break on the transmit line.
  virtual bool setBreak(bool on) = 0;
  // The driver's error and break counters; false when it keeps none.
  virtual bool readCounters(serial_icounter_struct* counters) = 0;
};

// The signals of the terminal device behind fd.
std::unique_ptr<LineSignals> deviceLineSignals(int fd);

}  // namespace platform
