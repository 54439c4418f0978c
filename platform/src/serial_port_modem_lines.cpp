// A serial port's modem lines: reading them, driving DTR and RTS, breaks
// and flow by hand (EscapeCommFunction), and the in-memory lines that tests
// give a pseudo-terminal.
#include <sys/ioctl.h>
#include <termios.h>

#include <cerrno>

#include "serial_port.h"

namespace platform {
namespace {

int tiocmFromModemStatus(DWORD status) {
  int lines = 0;
  if (status & MS_CTS_ON) lines |= TIOCM_CTS;
  if (status & MS_DSR_ON) lines |= TIOCM_DSR;
  if (status & MS_RING_ON) lines |= TIOCM_RI;
  if (status & MS_RLSD_ON) lines |= TIOCM_CD;
  return lines;
}

}  // namespace

bool SerialPort::readModemLinesLocked(int* lines) {
  if (fakeModemLines_) {
    *lines = *fakeModemLines_;
    return true;
  }
  return ::ioctl(fd_, TIOCMGET, lines) == 0;
}

bool SerialPort::setControlLineLocked(int line, bool on) {
  if (fakeModemLines_) {
    *fakeModemLines_ = on ? (*fakeModemLines_ | line) : (*fakeModemLines_ & ~line);
    return true;
  }
  return ::ioctl(fd_, on ? TIOCMBIS : TIOCMBIC, &line) == 0;
}

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
      done = ::ioctl(fd_, TIOCSBRK) == 0;
      break;
    case CLRBREAK:
      done = ::ioctl(fd_, TIOCCBRK) == 0;
      break;
    case SETXOFF:
      done = ::tcflow(fd_, TCOOFF) == 0;
      break;
    case SETXON:
      done = ::tcflow(fd_, TCOON) == 0;
      break;
    default:
      return failLocked(ERROR_INVALID_PARAMETER);
  }
  if (!done) return failLocked(errorFromErrno(errno));
  return TRUE;
}

BOOL SerialPort::fakeModemLines(DWORD inputLines) {
  std::lock_guard<std::mutex> guard(mutex_);
  if (closed_) return failLocked(ERROR_INVALID_HANDLE);
  constexpr int kInputLines = TIOCM_CTS | TIOCM_DSR | TIOCM_RI | TIOCM_CD;
  if (!fakeModemLines_) {
    // The outputs start as the settings left them; the inputs as they were
    // seen last, so that only real changes raise events.
    int outputs = TIOCM_DTR | TIOCM_RTS;
    if (dcb_.fDtrControl == DTR_CONTROL_DISABLE) outputs &= ~TIOCM_DTR;
    if (dcb_.fRtsControl == RTS_CONTROL_DISABLE) outputs &= ~TIOCM_RTS;
    fakeModemLines_ = outputs | (modemLines_ & kInputLines);
    hasModemLines_ = true;
  }
  *fakeModemLines_ = (*fakeModemLines_ & ~kInputLines) | tiocmFromModemStatus(inputLines);
  // The service thread's line watch sees the change.
  nextLineWatch_ = Clock::time_point{};
  wakeService();
  return TRUE;
}

BOOL SerialPort::fakeControlLines(BOOL* dtr, BOOL* rts) {
  std::lock_guard<std::mutex> guard(mutex_);
  if (closed_) return failLocked(ERROR_INVALID_HANDLE);
  if (!fakeModemLines_) return failLocked(ERROR_NOT_SUPPORTED);
  if (dtr) *dtr = (*fakeModemLines_ & TIOCM_DTR) ? TRUE : FALSE;
  if (rts) *rts = (*fakeModemLines_ & TIOCM_RTS) ? TRUE : FALSE;
  return TRUE;
}

}  // namespace platform
