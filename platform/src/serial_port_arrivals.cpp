// The arrivals control of kestrix/serial_arrivals.h: when the bytes the
// last read returned were read from the device.
#include <algorithm>
#include <cstring>

#include "overlapped.h"
#include "serial_port.h"

namespace platform {

BOOL SerialPort::control(DWORD code, LPVOID, DWORD, LPVOID out, DWORD outSize, LPDWORD returned,
                         LPOVERLAPPED overlapped) {
  std::lock_guard<std::mutex> guard(mutex_);
  if (closed_) return failLocked(ERROR_INVALID_HANDLE);
  if (code != IOCTL_SERIAL_GET_READ_ARRIVALS) return failLocked(ERROR_INVALID_FUNCTION);
  const size_t room = outSize / sizeof(SERIAL_ARRIVAL);
  if (room == 0) return failLocked(ERROR_INSUFFICIENT_BUFFER);
  auto* arrivals = static_cast<SERIAL_ARRIVAL*>(out);
  const size_t whole = std::min(room, lastReadArrivals_.size());
  std::memcpy(arrivals, lastReadArrivals_.data(), whole * sizeof(SERIAL_ARRIVAL));
  // What does not fit is counted into the last one given.
  for (size_t rest = whole; rest < lastReadArrivals_.size(); ++rest)
    arrivals[whole - 1].dwBytes += lastReadArrivals_[rest].dwBytes;
  *returned = static_cast<DWORD>(whole * sizeof(SERIAL_ARRIVAL));
  if (overlapped) completeOverlapped(overlapped, ERROR_SUCCESS, *returned);
  return TRUE;
}

}  // namespace platform
