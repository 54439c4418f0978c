// The service thread of a serial port: when to read input, output, write
// time-outs, output drain, modem lines and error counters, and hang-up.
#include <poll.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "overlapped.h"
#include "serial_port.h"
#include "uucp_lock.h"

namespace platform {
namespace {

using std::chrono::milliseconds;

// How often modem lines and error counters are looked at, on devices that
// have them, while the event mask asks for their events.
constexpr milliseconds kLineWatchInterval{50};
// Re-checks of the driver's output queue after our own queue emptied start
// at the first delay and back off to the second.
constexpr milliseconds kFirstDrainCheck{5};
constexpr milliseconds kLongestDrainCheck{200};

constexpr DWORD kLineEvents = EV_CTS | EV_DSR | EV_RLSD | EV_RING;
constexpr DWORD kErrorEvents = EV_ERR | EV_BREAK;

int millisecondsUntil(Clock::time_point now, Clock::time_point when) {
  if (when <= now) return 0;
  // Rounded up, so that the poll does not wake just before the moment.
  const auto wait = std::chrono::ceil<milliseconds>(when - now).count();
  return static_cast<int>(std::min<decltype(wait)>(wait, 1 << 30));
}

}  // namespace

void SerialPort::serve() {
  std::unique_lock<std::mutex> lock(mutex_);
  while (!closed_) {
    const Clock::time_point now = Clock::now();
    dropExpiredWriteLocked(now);
    startHeadWriteLocked(now);
    if (watchesLinesLocked() && now >= nextLineWatch_) {
      watchLinesLocked();
      nextLineWatch_ = now + kLineWatchInterval;
    }
    checkOutputDrainedLocked(now);

    const bool live = hangUpError_ == 0;
    short interest = live ? deviceInterestLocked() : 0;
    if (reader_) {
      // Between gatherings the reader tells of the next arrival at once.
      if (live && !gatheringUntil_) reader_->arm();
    } else if (live && input_.freeSpace() > 0 && !gatheringUntil_) {
      interest |= POLLIN;
    }
    if (live && !output_.empty() && deviceTakesOutputLocked() && !deviceEndSeen_) interest |= POLLOUT;
    // A terminal is polled here for its output only: its end is its
    // reader's to find.
    const int device = !live || (reader_ && interest == 0) ? -1 : deviceDescriptorLocked();
    pollfd watched[2] = {{wakeFd_, POLLIN, 0}, {device, interest, 0}};
    // What came while the reader was not yet asked to tell is seen without
    // waiting, and so is the reader's end.
    const bool unnoticed = reader_ && live && ((!gatheringUntil_ && input_.written() != noticed_) || reader_->hungUp());
    const int timeout = unnoticed ? 0 : pollTimeoutLocked(now);

    lock.unlock();
    const int ready = ::poll(watched, 2, timeout);
    const int pollError = errno;
    lock.lock();
    if (closed_) break;
    if (ready < 0) {
      // Only a signal may interrupt the poll; anything else means the device
      // cannot be watched, and it is given up rather than polled in a loop.
      if (pollError != EINTR && hangUpError_ == 0) hangUpLocked();
      continue;
    }

    if (watched[0].revents & POLLIN) drainWakeups();
    short seen = watched[1].revents;
    const Clock::time_point woken = Clock::now();
    if (hangUpError_ == 0) serviceDeviceLocked(seen, woken);
    const bool hungUp = (seen & (POLLHUP | POLLERR | POLLNVAL)) != 0;
    if (reader_) {
      noticeArrivalsLocked(woken);
      if ((seen & POLLOUT) && deviceTakesOutputLocked()) transmitLocked();
      // The reader reads what the device still holds before it finds the
      // end; poll's word of it only stops the writes from polling again.
      if (hungUp) deviceEndSeen_ = true;
      if (hangUpError_ == 0 && reader_->hungUp()) {
        // Everything the reader read before the end is reported first (a
        // gathering ends with it).
        noticeArrivalsLocked(woken);
        gatheringUntil_.reset();
        hangUpLocked();
      }
      continue;
    }
    if (gatheringUntil_ && (hungUp || woken >= *gatheringUntil_))
      endGatheringLocked(woken);
    else if (seen & POLLIN)
      receiveLocked(woken);
    if ((seen & POLLOUT) && deviceTakesOutputLocked()) transmitLocked();
    // A hang-up is reported whatever was asked for; after reading what still
    // fits, the device is given up so that the loop cannot spin on it.
    if (hangUpError_ == 0 && hungUp) hangUpLocked();
  }
}

void SerialPort::startHeadWriteLocked(Clock::time_point now) {
  if (output_.empty() || output_.front().started) return;
  PendingWrite& head = output_.front();
  head.started = true;
  const uint64_t limit =
      uint64_t{timeouts_.WriteTotalTimeoutMultiplier} * head.bytes.size() + timeouts_.WriteTotalTimeoutConstant;
  if (limit > 0) head.deadline = now + milliseconds(limit);
}

void SerialPort::dropExpiredWriteLocked(Clock::time_point now) {
  while (!output_.empty() && output_.front().deadline && *output_.front().deadline <= now) {
    // Timed out: the rest of this write is dropped; what was written stays
    // written, as on Windows.
    finishHeadWriteLocked(ERROR_SUCCESS);
    startHeadWriteLocked(now);
  }
}

void SerialPort::finishHeadWriteLocked(DWORD error) {
  PendingWrite& head = output_.front();
  if (head.completion) completeOverlapped(head.completion.get(), error, static_cast<DWORD>(head.done));
  output_.pop_front();
}

void SerialPort::transmitLocked() {
  startHeadWriteLocked(Clock::now());
  while (hangUpError_ == 0 && !output_.empty()) {
    PendingWrite& head = output_.front();
    const ssize_t count = writeDeviceLocked(head.bytes.data() + head.done, head.bytes.size() - head.done);
    if (count < 0) {
      if (errno == EINTR) continue;
      if (errno == EAGAIN || errno == EWOULDBLOCK) return;
      if (errno == EIO || errno == ENXIO || errno == ENODEV) {
        hangUpLocked();
        return;
      }
      // The device refuses this write; the next one is tried.
      finishHeadWriteLocked(errorFromErrno(errno));
      startHeadWriteLocked(Clock::now());
      continue;
    }
    outputSinceEmpty_ = true;
    driverMayHoldOutput_ = true;
    head.done += static_cast<size_t>(count);
    if (head.done == head.bytes.size()) {
      finishHeadWriteLocked(ERROR_SUCCESS);
      startHeadWriteLocked(Clock::now());
    }
  }
}

void SerialPort::checkOutputDrainedLocked(Clock::time_point now) {
  if (!outputSinceEmpty_ || !output_.empty() || hangUpError_ != 0) return;
  if (drainCheckAt_ && now < *drainCheckAt_) return;
  if (deviceOutputLocked() > 0) {
    drainCheckDelay_ = drainCheckAt_ ? std::min(drainCheckDelay_ * 2, kLongestDrainCheck) : kFirstDrainCheck;
    drainCheckAt_ = now + drainCheckDelay_;
    return;
  }
  outputSinceEmpty_ = false;
  driverMayHoldOutput_ = false;
  drainCheckAt_.reset();
  recordEventLocked(EV_TXEMPTY);
}

bool SerialPort::watchesLinesLocked() const {
  if (hangUpError_ != 0) return false;
  return (hasModemLines_ && !linesTold_ && (mask_ & kLineEvents)) || (hasErrorCounters_ && (mask_ & kErrorEvents));
}

void SerialPort::watchLinesLocked() {
  int lines = 0;
  if (hasModemLines_ && !linesTold_ && readModemLinesLocked(&lines)) takeModemLinesLocked(lines);
  collectLineErrorsLocked();
}

void SerialPort::takeModemLinesLocked(int lines, int changed) {
  changed |= lines ^ modemLines_;
  modemLines_ = lines;
  if (changed & TIOCM_CTS) recordEventLocked(EV_CTS);
  if (changed & TIOCM_DSR) recordEventLocked(EV_DSR);
  if (changed & TIOCM_CD) recordEventLocked(EV_RLSD);
  if ((changed & TIOCM_RI) && (lines & TIOCM_RI)) recordEventLocked(EV_RING);
}

// Turns the growth of the driver's error counters since the last look into
// error flags (kept for ClearCommError) and events.
void SerialPort::collectLineErrorsLocked() {
  if (!hasErrorCounters_ || hangUpError_ != 0) return;
  serial_icounter_struct now{};
  if (!lines_->readCounters(&now)) return;
  DWORD errors = 0;
  if (now.frame != counters_.frame) errors |= CE_FRAME;
  if (now.parity != counters_.parity) errors |= CE_RXPARITY;
  if (now.overrun != counters_.overrun) errors |= CE_OVERRUN;
  if (now.buf_overrun != counters_.buf_overrun) errors |= CE_RXOVER;
  if (now.brk != counters_.brk) errors |= CE_BREAK;
  counters_ = now;
  lineErrors_ |= errors;
  if (errors & CE_BREAK) recordEventLocked(EV_BREAK);
  if (errors & ~DWORD{CE_BREAK}) recordEventLocked(EV_ERR);
}

int SerialPort::pollTimeoutLocked(Clock::time_point now) const {
  std::optional<Clock::time_point> next;
  auto consider = [&](Clock::time_point when) { next = next ? std::min(*next, when) : when; };
  if (!output_.empty() && output_.front().deadline) consider(*output_.front().deadline);
  if (watchesLinesLocked()) consider(nextLineWatch_);
  if (drainCheckAt_ && outputSinceEmpty_ && output_.empty()) consider(*drainCheckAt_);
  if (gatheringUntil_) consider(*gatheringUntil_);
  if (hangUpError_ == 0)
    if (std::optional<Clock::time_point> device = deviceDeadlineLocked()) consider(*device);
  return next ? millisecondsUntil(now, *next) : -1;
}

void SerialPort::hangUpLocked() {
  hangUpError_ = kHangUpError;
  abortWritesLocked(kHangUpError);
  outputSinceEmpty_ = false;
  drainCheckAt_.reset();
  // A pending wait means nothing was recorded: it ends with the error.
  if (pendingWait_) completePendingWaitLocked(kHangUpError, 0);
  // The device is gone: its lock must not keep other programs from it when
  // it comes back.
  releaseUucpLock(lockPath_);
  lockPath_.clear();
  deviceHungUpLocked();
}

size_t SerialPort::deviceOutputLocked() {
  int driverOutput = 0;
  if (::ioctl(fd_, TIOCOUTQ, &driverOutput) != 0 || driverOutput < 0) return 0;
  return static_cast<size_t>(driverOutput);
}

ssize_t SerialPort::writeDeviceLocked(const unsigned char* bytes, size_t count) { return ::write(fd_, bytes, count); }

}  // namespace platform
