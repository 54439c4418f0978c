// A serial port's life (start, close) and its reads and writes.
#include "serial_port.h"

#include <fcntl.h>
#include <sys/eventfd.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <system_error>

#include "comm_line_settings.h"
#include "held_serial_lines.h"
#include "overlapped.h"
#include "uucp_lock.h"

namespace platform {
namespace {

// Arrivals kept for a read; a reader asks for fewer (a block holds 32).
constexpr size_t kMostReadArrivals = 256;

// A write is refused rather than queued past this much unsent output, so a
// device that never takes data cannot make the queue grow without bound.
constexpr size_t kLargestQueuedOutput = 16 * 1024 * 1024;

DWORD completionBytes(OVERLAPPED& record) {
  return static_cast<DWORD>(std::atomic_ref<ULONG_PTR>(record.InternalHigh).load(std::memory_order_relaxed));
}

// The settings a port starts with: what the device has, made raw, without
// flow control, and with the usual line levels and flow characters.
DCB initialSettings(const termios& current, DWORD rate) {
  DCB dcb{};
  dcb.DCBlength = sizeof(DCB);
  dcb.fDtrControl = DTR_CONTROL_ENABLE;
  dcb.fRtsControl = RTS_CONTROL_ENABLE;
  dcb.XonLim = 2048;
  dcb.XoffLim = 512;
  readDcbFromTermios(current, rate, dcb);
  dcb.fOutxCtsFlow = 0;
  dcb.fRtsControl = RTS_CONTROL_ENABLE;
  dcb.fOutX = 0;
  dcb.fInX = 0;
  dcb.fParity = 0;
  dcb.XonChar = 0x11;
  dcb.XoffChar = 0x13;
  return dcb;
}

}  // namespace

DWORD waitForRecord(OVERLAPPED& record) {
  std::unique_lock<std::mutex> lock(waitLock());
  auto status = [&] { return std::atomic_ref<ULONG_PTR>(record.Internal).load(std::memory_order_acquire); };
  waitUntil(lock, INFINITE, [&] { return status() != STATUS_PENDING; });
  return static_cast<DWORD>(status());
}

SerialPort::SerialPort(int fd) : fd_(fd), input_(kSmallestInputQueue), lines_(deviceLineSignals(fd)) {}

SerialPort::~SerialPort() { onClose(); }

std::shared_ptr<SerialPort> SerialPort::start(int fd, const std::string& lockPath, DWORD* error) {
  termios current;
  if (::tcgetattr(fd, &current) != 0) {
    *error = errno == ENOTTY ? ERROR_NOT_SUPPORTED : errorFromErrno(errno);
    releaseSerialDevice(fd);
    releaseUucpLock(lockPath);
    return nullptr;
  }
  const DCB dcb = initialSettings(current, currentLineRate(fd, current));
  const termios raw = termiosForDcb(dcb, current);
  if (::tcsetattr(fd, TCSANOW, &raw) != 0) {
    *error = errorFromErrno(errno);
    releaseSerialDevice(fd);
    releaseUucpLock(lockPath);
    return nullptr;
  }

  // From here the destructor restores the settings and releases both.
  auto port = std::make_shared<SerialPort>(fd);
  port->lockPath_ = lockPath;
  port->settingsBeforeOpen_ = current;
  rememberHeldLine(fd, current);
  port->dcb_ = dcb;
  port->hasModemLines_ = port->lines_->readModemLines(&port->modemLines_);
  port->hasErrorCounters_ = port->lines_->readCounters(&port->counters_);
  port->wakeFd_ = ::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
  if (port->wakeFd_ < 0) {
    *error = errorFromErrno(errno);
    return nullptr;  // the destructor releases the device
  }
  port->reader_ = std::make_unique<SerialReader>(fd, port->input_, port->wakeFd_);
  if (!port->reader_->start()) {
    *error = ERROR_NOT_ENOUGH_MEMORY;
    return nullptr;
  }
  try {
    port->service_ = std::thread([raw = port.get()] { raw->serve(); });
  } catch (const std::system_error&) {
    *error = ERROR_NOT_ENOUGH_MEMORY;
    return nullptr;
  }
  return port;
}

void SerialPort::onClose() {
  {
    std::lock_guard<std::mutex> guard(mutex_);
    if (closed_) return;
    closed_ = true;
    if (pendingWait_) completePendingWaitLocked(ERROR_OPERATION_ABORTED, 0);
    abortWritesLocked(ERROR_OPERATION_ABORTED);
  }
  if (service_.joinable()) {
    wakeService();
    service_.join();
  }
  // The reader reads the descriptor until it goes.
  if (reader_) reader_->stop();
  std::lock_guard<std::mutex> guard(mutex_);
  releaseDeviceLocked();
  fd_ = -1;
  releaseUucpLock(lockPath_);
  lockPath_.clear();
  if (wakeFd_ >= 0) ::close(wakeFd_);
  wakeFd_ = -1;
}

void SerialPort::releaseDeviceLocked() {
  if (fd_ < 0) return;
  // Another program (or a shell) may use the device next: give it back
  // the settings it had. Output still queued in the driver is dropped
  // rather than waited for.
  if (settingsBeforeOpen_) ::tcsetattr(fd_, TCSANOW, &*settingsBeforeOpen_);
  forgetHeldLine(fd_);
  releaseSerialDevice(fd_);
}

BOOL SerialPort::failLocked(DWORD error) const {
  SetLastError(error);
  return FALSE;
}

size_t SerialPort::queuedOutputLocked() const {
  size_t total = 0;
  for (const PendingWrite& pending : output_) total += pending.bytes.size() - pending.done;
  return total;
}

void SerialPort::abortWritesLocked(DWORD error) {
  for (PendingWrite& pending : output_) {
    if (pending.completion) completeOverlapped(pending.completion.get(), error, static_cast<DWORD>(pending.done));
  }
  output_.clear();
}

void SerialPort::wakeService() {
  const uint64_t one = 1;
  // A full counter already means "wake up"; nothing else can fail here.
  [[maybe_unused]] ssize_t ignored = ::write(wakeFd_, &one, sizeof one);
}

void SerialPort::drainWakeups() {
  uint64_t count;
  [[maybe_unused]] ssize_t ignored = ::read(wakeFd_, &count, sizeof count);
}

// Reads never wait: they return what the input queue holds, at most what
// was asked for, and complete the record before returning.
BOOL SerialPort::read(LPVOID buffer, DWORD toRead, LPDWORD read, LPOVERLAPPED overlapped) {
  if (read) *read = 0;
  std::lock_guard<std::mutex> guard(mutex_);
  if (closed_) return failLocked(ERROR_INVALID_HANDLE);
  if (input_.size() < toRead) catchUpLocked();
  if (input_.size() == 0 && hangUpError_ != 0 && toRead > 0) return failLocked(hangUpError_);
  const bool wasFull = input_.full();
  const DWORD count = static_cast<DWORD>(
      input_.take(static_cast<unsigned char*>(buffer), toRead, lastReadArrivals_, kMostReadArrivals));
  if (count > 0) inputTakenLocked(wasFull);
  if (read) *read = count;
  if (overlapped) completeOverlapped(overlapped, ERROR_SUCCESS, count);
  return TRUE;
}

// Writes are copied and queued; the caller's buffer and record are free as
// soon as this returns. With a record the write completes at once with the
// whole length accepted; without one the caller waits until the bytes are
// written or the write time-outs drop the rest.
BOOL SerialPort::write(LPCVOID buffer, DWORD toWrite, LPDWORD written, LPOVERLAPPED overlapped) {
  if (written) *written = 0;
  std::shared_ptr<OVERLAPPED> completion;
  {
    std::lock_guard<std::mutex> guard(mutex_);
    if (closed_) return failLocked(ERROR_INVALID_HANDLE);
    if (hangUpError_ != 0) return failLocked(hangUpError_);
    if (toWrite > 0) {
      if (queuedOutputLocked() + toWrite > kLargestQueuedOutput) return failLocked(ERROR_NOT_ENOUGH_MEMORY);
      PendingWrite pending;
      const auto* bytes = static_cast<const unsigned char*>(buffer);
      pending.bytes.assign(bytes, bytes + toWrite);
      if (!overlapped) {
        completion = std::make_shared<OVERLAPPED>();
        beginOverlapped(completion.get());
        pending.completion = completion;
      }
      output_.push_back(std::move(pending));
      wakeService();
    }
    if (overlapped) {
      if (written) *written = toWrite;
      completeOverlapped(overlapped, ERROR_SUCCESS, toWrite);
      return TRUE;
    }
  }
  if (!completion) return TRUE;
  const DWORD error = waitForRecord(*completion);
  if (written) *written = completionBytes(*completion);
  if (error != ERROR_SUCCESS) {
    SetLastError(error);
    return FALSE;
  }
  return TRUE;
}

}  // namespace platform
