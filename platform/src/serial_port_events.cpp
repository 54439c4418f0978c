// A serial port's communications events: the mask, the events recorded
// since the last report, and the one event wait that may be pending.
//
// EV_RXCHAR means that new bytes arrived since it was last reported, not that
// bytes are queued. Each completed wait reports one event, the lowest bit
// first, and keeps the others for the next wait, so that no event is hidden
// in a combined value.
#include "overlapped.h"
#include "serial_port.h"

namespace platform {
void SerialPort::recordEventLocked(DWORD event) {
  if ((mask_ & event) == 0) return;
  recorded_ |= event;
  offerEventToWaiterLocked();
}

std::optional<DWORD> SerialPort::takeEventLocked() {
  if (recorded_ == 0) return std::nullopt;
  const DWORD lowest = recorded_ & (~recorded_ + 1);
  recorded_ &= ~lowest;
  return lowest;
}

void SerialPort::completePendingWaitLocked(DWORD error, DWORD value) {
  const PendingWait wait = *pendingWait_;
  pendingWait_.reset();
  *wait.value = value;
  completeOverlapped(wait.record, error, 0);
}

void SerialPort::offerEventToWaiterLocked() {
  if (!pendingWait_) return;
  if (std::optional<DWORD> event = takeEventLocked()) completePendingWaitLocked(ERROR_SUCCESS, *event);
}

// Any change of the mask ends a pending wait with the value 0 (this is how
// a watcher is told to stop); recorded events outside the new mask are
// forgotten.
BOOL SerialPort::setMask(DWORD mask) {
  std::lock_guard<std::mutex> guard(mutex_);
  if (closed_) return failLocked(ERROR_INVALID_HANDLE);
  mask_ = mask;
  recorded_ &= mask;
  watchEventCharLocked();
  if (pendingWait_) completePendingWaitLocked(ERROR_SUCCESS, 0);
  // The line watch depends on the mask.
  wakeService();
  return TRUE;
}

BOOL SerialPort::waitEvent(LPDWORD value, LPOVERLAPPED overlapped) {
  OVERLAPPED ownRecord{};
  OVERLAPPED* record = overlapped ? overlapped : &ownRecord;
  {
    std::lock_guard<std::mutex> guard(mutex_);
    if (closed_) return failLocked(ERROR_INVALID_HANDLE);
    if (pendingWait_) return failLocked(ERROR_INVALID_PARAMETER);
    if (std::optional<DWORD> event = takeEventLocked()) {
      *value = *event;
      completeOverlapped(record, ERROR_SUCCESS, 0);
      return TRUE;
    }
    // Events recorded before a hang-up are still reported; after them every
    // wait fails at once instead of waiting for events that cannot come.
    if (hangUpError_ != 0) return failLocked(hangUpError_);
    // Nothing could ever end a wait with an empty mask.
    if (mask_ == 0) return failLocked(ERROR_INVALID_PARAMETER);
    beginOverlapped(record);
    pendingWait_ = PendingWait{record, value};
    if (overlapped) return failLocked(ERROR_IO_PENDING);
  }
  const DWORD error = waitForRecord(ownRecord);
  if (error != ERROR_SUCCESS) {
    SetLastError(error);
    return FALSE;
  }
  return TRUE;
}

}  // namespace platform
