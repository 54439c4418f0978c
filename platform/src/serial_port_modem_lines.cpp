// A serial port's modem lines: the device's own signals, reading them,
// driving DTR and RTS, and breaks and flow by hand (EscapeCommFunction).
#include <sys/ioctl.h>
#include <termios.h>

#include <cerrno>

#include "serial_port.h"

namespace platform {
namespace {

class DeviceLineSignals : public LineSignals {
 public:
  explicit DeviceLineSignals(int fd) : fd_(fd) {}
  bool readModemLines(int* lines) override { return ::ioctl(fd_, TIOCMGET, lines) == 0; }
  bool setControlLine(int line, bool on) override { return ::ioctl(fd_, on ? TIOCMBIS : TIOCMBIC, &line) == 0; }
  bool setBreak(bool on) override { return ::ioctl(fd_, on ? TIOCSBRK : TIOCCBRK) == 0; }
  bool readCounters(serial_icounter_struct* counters) override { return ::ioctl(fd_, TIOCGICOUNT, counters) == 0; }

 private:
  const int fd_;
};

}  // namespace

std::unique_ptr<LineSignals> deviceLineSignals(int fd) { return std::make_unique<DeviceLineSignals>(fd); }

bool SerialPort::readModemLinesLocked(int* lines) { return lines_->readModemLines(lines); }

bool SerialPort::setControlLineLocked(int line, bool on) { return lines_->setControlLine(line, on); }

BOOL SerialPort::escape(DWORD function) {
  std::lock_guard<std::mutex> guard(mutex_);
  if (closed_) return failLocked(ERROR_INVALID_HANDLE);
  if (hangUpError_ != 0) return failLocked(hangUpError_);
  bool done = false;
  switch (function) {
    case SETDTR:
    case CLRDTR:
    case SETRTS:
    case CLRRTS: {
      if (!hasModemLines_) return failLocked(ERROR_NOT_SUPPORTED);
      const int line = function == SETDTR || function == CLRDTR ? TIOCM_DTR : TIOCM_RTS;
      done = setControlLineLocked(line, function == SETDTR || function == SETRTS);
      break;
    }
    case SETBREAK:
    case CLRBREAK:
      done = lines_->setBreak(function == SETBREAK);
      break;
    case SETXOFF:
    case SETXON:
      done = holdDeviceOutputLocked(function == SETXOFF);
      break;
    default:
      return failLocked(ERROR_INVALID_PARAMETER);
  }
  if (!done) return failLocked(errorFromErrno(errno));
  return TRUE;
}

bool SerialPort::holdDeviceOutputLocked(bool hold) { return ::tcflow(fd_, hold ? TCOOFF : TCOON) == 0; }

}  // namespace platform
