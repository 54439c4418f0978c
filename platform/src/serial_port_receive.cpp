// A serial port's input: reporting what came into the input queue, and
// gathering a streaming line's arrivals the way a UART's receive FIFO
// time-out or a USB adapter's latency timer does.
//
// A terminal's reader thread puts every arrival in the queue as it comes
// (serial_reader.h); a network port's service thread reads its socket here
// itself (takeDeviceInputLocked), as the connection's protocol needs the
// port's lock.
//
// Every arrival on a quiet line is reported at once (EV_RXCHAR). When it
// brought a streaming piece (a USB adapter's packet, a line of text), the
// service thread then waits a short gathering time and reports whatever
// came meanwhile in one event at its end, so that a streaming line wakes the
// port's watcher once a gathering time, not once a piece. A terminal's
// reader reads on meanwhile, each arrival as it comes: gathering delays the
// event, never the reading nor any byte's time. (A network port's socket is
// left unread for the gathering; whoever asks for the queue's state or
// reads it meanwhile gets the gathered bytes too.) A line that brings a few
// bytes at a time (a conversation: a prompt, a reply, a key) is not
// gathered, so each of its bytes is reported as soon as it arrives. A
// gathering that ends with less than a streaming piece ends the gathering:
// the next arrival is reported at once again. The gathering time follows
// the line's rate, so that a fast line's events come about as often as
// without gathering.
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
// About this much input comes in a gathering, at the rate last seen.
constexpr size_t kGatheringBytes = 1024;
// Arrivals of at least this many bytes at once mean a streaming line.
constexpr size_t kStreamingPiece = 32;

bool meansHangUp(int error) { return error != EAGAIN && error != EWOULDBLOCK && error != EINTR; }

}  // namespace

void SerialPort::noticeArrivalsLocked(Clock::time_point now) {
  const uint64_t written = input_.written();
  const size_t arrived = static_cast<size_t>(written - noticed_);
  noticed_ = written;
  // After a hang-up only what was recorded before it is reported.
  if (hangUpError_ != 0) return;
  if (reader_->takeEventCharSeen()) recordEventLocked(EV_RXFLAG);
  if (gatheringUntil_) {
    gathered_ += arrived;
    if (now >= *gatheringUntil_ || reader_->hungUp()) endGatheringLocked(now);
    return;
  }
  if (arrived == 0) return;
  recordEventLocked(EV_RXCHAR);
  if (arrived >= kStreamingPiece) startGatheringLocked(now);
}

size_t SerialPort::takeDeviceInputLocked() {
  size_t arrived = 0;
  bool sawEventChar = false;
  // What these reads take was in the device as they began.
  FILETIME time;
  GetSystemTimePreciseAsFileTime(&time);
  while (hangUpError_ == 0 && input_.freeSpace() > 0) {
    auto [space, room] = input_.freeSpan();
    const ssize_t count = readDeviceLocked(space, room);
    if (count > 0) {
      if (mask_ & EV_RXFLAG) sawEventChar |= std::memchr(space, dcb_.EvtChar, static_cast<size_t>(count)) != nullptr;
      input_.produce(static_cast<size_t>(count));
      arrived += static_cast<size_t>(count);
      // A short read emptied the device; asking again would only fail.
      if (static_cast<size_t>(count) < room) break;
      continue;
    }
    if (count < 0 && errno == EINTR) continue;
    // With VMIN 1 an empty, live terminal fails with EAGAIN; 0 is end of
    // file, which a terminal gives only after a hang-up.
    if (count == 0 || meansHangUp(errno)) {
      input_.publish(time);
      hangUpLocked();
    }
    break;
  }
  input_.publish(time);
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
  if (!reader_) takeDeviceInputLocked();
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
  // What the queue holds is what is reported: the reader's arrivals are
  // noted now rather than at the service thread's next turn.
  if (reader_)
    noticeArrivalsLocked(Clock::now());
  else if (gatheringUntil_)
    takeDeviceInputLocked();
}

void SerialPort::watchEventCharLocked() {
  if (reader_) reader_->setEventChar((mask_ & EV_RXFLAG) ? static_cast<unsigned char>(dcb_.EvtChar) : -1);
}

void SerialPort::inputTakenLocked(bool wasFull) {
  // A full queue had stopped the reading.
  if (reader_)
    reader_->spaceFreed();
  else if (wasFull)
    wakeService();
}

}  // namespace platform
