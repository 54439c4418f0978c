// A serial port's input: moving what the device holds into the input queue,
// and gathering arrivals the way a UART's receive FIFO time-out or a USB
// adapter's latency timer does.
//
// Every arrival on a quiet line is reported at once (EV_RXCHAR). When it
// brought a streaming piece (a USB adapter's packet, a line of text), the
// service thread then leaves the device alone for a short gathering time
// and reports whatever came meanwhile in one event at its end, so that a
// streaming line wakes the port and its watcher once a gathering time, not
// once a piece. A line that brings a few bytes at a time (a conversation:
// a prompt, a reply, a key) is not gathered, so each of its bytes is
// reported as soon as it arrives. A gathering that ends with less than a
// streaming piece ends the gathering: the next arrival is reported at once
// again. The gathering time follows the line's rate, so that a fast line is
// read about as often as without gathering and the kernel never holds more
// than a small share of its buffer for us. Whoever asks for the queue's
// state or reads it meanwhile gets the gathered bytes too: gathering delays
// the event, never the data.
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "serial_port.h"

namespace platform {
namespace {

using std::chrono::milliseconds;

// Gathering times: the longest stays inside the 100 ms a window's tick
// allows a byte, and only a line too slow to fill a reader's buffer within
// a tick gets it (a reader takes the queue at each tick anyway); a fast line
// gets shorter ones, down to the shortest.
constexpr Clock::duration kLongestGathering = milliseconds(80);
constexpr Clock::duration kShortestGathering = milliseconds(1);
// About this much input waits in the kernel while a gathering runs, at the
// rate last seen (a pseudo-terminal holds some 20 KB, a UART's driver more).
constexpr size_t kGatheringBytes = 1024;
// Arrivals of at least this many bytes at once mean a streaming line.
constexpr size_t kStreamingPiece = 32;

bool meansHangUp(int error) { return error != EAGAIN && error != EWOULDBLOCK && error != EINTR; }

}  // namespace

size_t SerialPort::takeDeviceInputLocked() {
  size_t arrived = 0;
  bool sawEventChar = false;
  while (hangUpError_ == 0 && input_.freeSpace() > 0) {
    auto [space, room] = input_.freeSpan();
    const ssize_t count = readDeviceLocked(space, room);
    if (count > 0) {
      if (mask_ & EV_RXFLAG) sawEventChar |= std::memchr(space, dcb_.EvtChar, static_cast<size_t>(count)) != nullptr;
      input_.commit(static_cast<size_t>(count));
      arrived += static_cast<size_t>(count);
      // A short read emptied the device; asking again would only fail.
      if (static_cast<size_t>(count) < room) break;
      continue;
    }
    if (count < 0 && errno == EINTR) continue;
    // With VMIN 1 an empty, live terminal fails with EAGAIN; 0 is end of
    // file, which a terminal gives only after a hang-up.
    if (count == 0 || meansHangUp(errno)) hangUpLocked();
    break;
  }
  if (sawEventChar) recordEventLocked(EV_RXFLAG);
  if (gatheringUntil_) gathered_ += arrived;
  return arrived;
}

ssize_t SerialPort::readDeviceLocked(unsigned char* into, size_t room) { return ::read(fd_, into, room); }

void SerialPort::receiveLocked(Clock::time_point now) {
  const size_t arrived = takeDeviceInputLocked();
  if (arrived == 0 || gatheringUntil_) return;
  recordEventLocked(EV_RXCHAR);
  if (arrived >= kStreamingPiece) startGatheringLocked(now);
}

void SerialPort::startGatheringLocked(Clock::time_point now) {
  if (hangUpError_ != 0) return;
  gatheringStart_ = now;
  gatheringUntil_ = now + gatheringLength_;
  gathered_ = 0;
}

void SerialPort::endGatheringLocked(Clock::time_point now) {
  takeDeviceInputLocked();
  gatheringUntil_.reset();
  if (gathered_ > 0) recordEventLocked(EV_RXCHAR);
  if (gathered_ < kStreamingPiece) {
    // Quiet: the next arrival is reported at once, and the gathering after
    // it may be longer, so that a line whose pieces come further apart than
    // a short gathering still has them gathered.
    gatheringLength_ = std::min(kLongestGathering, 2 * gatheringLength_);
    return;
  }
  // As long as kGatheringBytes take at the rate just seen.
  const Clock::duration byRate =
      (now - gatheringStart_) * static_cast<Clock::rep>(kGatheringBytes) / static_cast<Clock::rep>(gathered_);
  gatheringLength_ = std::clamp(byRate, kShortestGathering, kLongestGathering);
  startGatheringLocked(now);
}

void SerialPort::catchUpLocked() {
  if (gatheringUntil_) takeDeviceInputLocked();
}

}  // namespace platform
