// A serial port's line settings, queue sizes, time-outs, purging, error and
// queue status, and modem lines.
#include <sys/ioctl.h>
#include <termios.h>

#include <algorithm>
#include <cerrno>

#include "comm_arbitrary_baud.h"
#include "comm_line_settings.h"
#include "serial_port.h"

namespace platform {
namespace {

constexpr DWORD kLargestQueueSize = 16 * 1024 * 1024;

}  // namespace

DWORD currentLineRate(int fd, const termios& settings) {
  const DWORD rate = readLineRate(fd);
  return rate != 0 ? rate : rateOfSpeedCode(cfgetospeed(&settings));
}

BOOL SerialPort::getState(DCB* dcb) {
  std::lock_guard<std::mutex> guard(mutex_);
  if (closed_) return failLocked(ERROR_INVALID_HANDLE);
  termios settings;
  if (::tcgetattr(fd_, &settings) != 0) return failLocked(errorFromErrno(errno));
  DCB result = dcb_;
  readDcbFromTermios(settings, currentLineRate(fd_, settings), result);
  result.DCBlength = sizeof(DCB);
  *dcb = result;
  return TRUE;
}

BOOL SerialPort::setState(const DCB& dcb) {
  std::lock_guard<std::mutex> guard(mutex_);
  if (closed_) return failLocked(ERROR_INVALID_HANDLE);
  if (!isValidLineSetting(dcb)) return failLocked(ERROR_INVALID_PARAMETER);
  termios previous;
  if (::tcgetattr(fd_, &previous) != 0) return failLocked(errorFromErrno(errno));
  const termios next = termiosForDcb(dcb, previous);
  if (::tcsetattr(fd_, TCSANOW, &next) != 0) return failLocked(errorFromErrno(errno));
  if (standardSpeedCode(dcb.BaudRate) == 0 && !setLineRate(fd_, dcb.BaudRate)) {
    const int failure = errno;
    ::tcsetattr(fd_, TCSANOW, &previous);  // all or nothing
    return failLocked(errorFromErrno(failure));
  }
  if (hasModemLines_) {
    setControlLineLocked(TIOCM_DTR, dcb.fDtrControl != DTR_CONTROL_DISABLE);
    // With RTS_CONTROL_HANDSHAKE the driver drives RTS itself (CRTSCTS).
    if (dcb.fRtsControl != RTS_CONTROL_HANDSHAKE)
      setControlLineLocked(TIOCM_RTS, dcb.fRtsControl != RTS_CONTROL_DISABLE);
  }
  dcb_ = dcb;
  watchEventCharLocked();
  return TRUE;
}

// The input queue takes at least kSmallestInputQueue bytes and never fewer
// than it holds. Writes are queued without a fixed output queue (up to the
// layer's own limit), so the output size is only checked.
BOOL SerialPort::setupQueues(DWORD inputSize, DWORD outputSize) {
  std::lock_guard<std::mutex> guard(mutex_);
  if (closed_) return failLocked(ERROR_INVALID_HANDLE);
  if (inputSize > kLargestQueueSize || outputSize > kLargestQueueSize) return failLocked(ERROR_INVALID_PARAMETER);
  const size_t capacity = std::max<size_t>({inputSize, kSmallestInputQueue, input_.size()});
  if (capacity == input_.capacity()) return TRUE;
  const bool wasFull = input_.full();
  // The reader stands still while its queue is moved.
  if (reader_) reader_->stop();
  input_.resize(capacity);
  if (reader_ && !reader_->start()) return failLocked(ERROR_NOT_ENOUGH_MEMORY);
  inputTakenLocked(wasFull);
  return TRUE;
}

BOOL SerialPort::getTimeouts(COMMTIMEOUTS* timeouts) {
  std::lock_guard<std::mutex> guard(mutex_);
  if (closed_) return failLocked(ERROR_INVALID_HANDLE);
  *timeouts = timeouts_;
  return TRUE;
}

// Reads never wait, so only the write time-outs change what the port does;
// they apply to writes that start after this call.
BOOL SerialPort::setTimeouts(const COMMTIMEOUTS& timeouts) {
  std::lock_guard<std::mutex> guard(mutex_);
  if (closed_) return failLocked(ERROR_INVALID_HANDLE);
  timeouts_ = timeouts;
  return TRUE;
}

BOOL SerialPort::purge(DWORD flags) {
  std::lock_guard<std::mutex> guard(mutex_);
  if (closed_) return failLocked(ERROR_INVALID_HANDLE);
  if (flags & ~DWORD{PURGE_TXABORT | PURGE_RXABORT | PURGE_TXCLEAR | PURGE_RXCLEAR})
    return failLocked(ERROR_INVALID_PARAMETER);
  // Reads never stay outstanding, so there is no read to abort. Aborting
  // writes and clearing output both drop what is queued here; clearing also
  // drops what the driver holds.
  if (flags & (PURGE_TXABORT | PURGE_TXCLEAR)) {
    abortWritesLocked(ERROR_OPERATION_ABORTED);
    outputSinceEmpty_ = false;
    drainCheckAt_.reset();
  }
  if (flags & PURGE_TXCLEAR) driverMayHoldOutput_ = false;
  const bool clearInput = (flags & PURGE_RXCLEAR) != 0;
  // The reader stands still while input is dropped: a read in flight would
  // bring back bytes the purge took from the device.
  if (clearInput && reader_) reader_->stop();
  if (flags & (PURGE_RXCLEAR | PURGE_TXCLEAR)) flushDeviceLocked(clearInput, flags & PURGE_TXCLEAR);
  if (clearInput) {
    const bool wasFull = input_.full();
    input_.clear();
    // Dropped bytes are not arrivals: an event for them, noticed after the
    // purge, would wake a watcher for nothing.
    noticed_ = input_.written();
    gathered_ = 0;
    inputTakenLocked(wasFull);
    if (reader_ && !reader_->start()) return failLocked(ERROR_NOT_ENOUGH_MEMORY);
  }
  return TRUE;
}

void SerialPort::flushDeviceLocked(bool input, bool output) {
  ::tcflush(fd_, input && output ? TCIOFLUSH : input ? TCIFLUSH : TCOFLUSH);
}

BOOL SerialPort::clearErrors(LPDWORD errors, LPCOMSTAT status) {
  std::lock_guard<std::mutex> guard(mutex_);
  if (closed_) return failLocked(ERROR_INVALID_HANDLE);
  collectLineErrorsLocked();
  if (errors) *errors = lineErrors_;
  lineErrors_ = 0;
  if (status) {
    catchUpLocked();
    *status = COMSTAT{};
    status->cbInQue = static_cast<DWORD>(input_.size());
    const size_t driverOutput = hangUpError_ != 0 || !driverMayHoldOutput_ ? 0 : deviceOutputLocked();
    if (driverOutput == 0) driverMayHoldOutput_ = false;
    status->cbOutQue = static_cast<DWORD>(queuedOutputLocked() + driverOutput);
  }
  return TRUE;
}

BOOL SerialPort::properties(COMMPROP* properties) {
  std::lock_guard<std::mutex> guard(mutex_);
  if (closed_) return failLocked(ERROR_INVALID_HANDLE);
  COMMPROP result{};
  result.wPacketLength = sizeof(COMMPROP);
  result.wPacketVersion = 2;
  result.dwServiceMask = SP_SERIALCOMM;
  result.dwMaxTxQueue = 0;  // no fixed output queue
  result.dwMaxRxQueue = kLargestQueueSize;
  result.dwMaxBaud = BAUD_USER;
  result.dwProvSubType = PST_RS232;
  result.dwProvCapabilities = PCF_PARITY_CHECK | PCF_XONXOFF | PCF_TOTALTIMEOUTS | PCF_RTSCTS;
  if (hasModemLines_) result.dwProvCapabilities |= PCF_DTRDSR | PCF_RLSD;
  result.dwSettableParams = SP_PARITY | SP_BAUD | SP_DATABITS | SP_STOPBITS | SP_HANDSHAKING | SP_PARITY_CHECK;
  if (hasModemLines_) result.dwSettableParams |= SP_RLSD;
  result.dwSettableBaud = BAUD_USER;
  result.wSettableData = DATABITS_5 | DATABITS_6 | DATABITS_7 | DATABITS_8;
  result.wSettableStopParity =
      STOPBITS_10 | STOPBITS_20 | PARITY_NONE | PARITY_ODD | PARITY_EVEN | PARITY_MARK | PARITY_SPACE;
  result.dwCurrentRxQueue = static_cast<DWORD>(input_.capacity());
  *properties = result;
  return TRUE;
}

BOOL SerialPort::modemStatus(LPDWORD status) {
  std::lock_guard<std::mutex> guard(mutex_);
  if (closed_) return failLocked(ERROR_INVALID_HANDLE);
  if (!hasModemLines_) return failLocked(ERROR_NOT_SUPPORTED);
  int lines = 0;
  if (!readModemLinesLocked(&lines)) return failLocked(errorFromErrno(errno));
  DWORD result = 0;
  if (lines & TIOCM_CTS) result |= MS_CTS_ON;
  if (lines & TIOCM_DSR) result |= MS_DSR_ON;
  if (lines & TIOCM_RI) result |= MS_RING_ON;
  if (lines & TIOCM_CD) result |= MS_RLSD_ON;
  *status = result;
  return TRUE;
}

}  // namespace platform
