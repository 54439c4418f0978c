#include "serial_reader.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <system_error>

namespace platform {

SerialReader::SerialReader(int fd, SerialInputRing& ring, int notifyFd)
    : fd_(fd), ring_(ring), notifyFd_(notifyFd), wakeFd_(::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC)) {}

SerialReader::~SerialReader() {
  stop();
  if (wakeFd_ >= 0) ::close(wakeFd_);
}

bool SerialReader::start() {
  if (wakeFd_ < 0 || thread_.joinable()) return wakeFd_ >= 0;
  stopping_.store(false, std::memory_order_release);
  try {
    thread_ = std::thread([this] { run(); });
  } catch (const std::system_error&) {
    return false;
  }
  return true;
}

void SerialReader::stop() {
  if (!thread_.joinable()) return;
  stopping_.store(true, std::memory_order_release);
  const uint64_t one = 1;
  [[maybe_unused]] ssize_t ignored = ::write(wakeFd_, &one, sizeof one);
  thread_.join();
}

void SerialReader::spaceFreed() {
  if (!waitingForRoom_.exchange(false, std::memory_order_acq_rel)) return;
  const uint64_t one = 1;
  [[maybe_unused]] ssize_t ignored = ::write(wakeFd_, &one, sizeof one);
}

void SerialReader::notify() {
  const uint64_t one = 1;
  [[maybe_unused]] ssize_t ignored = ::write(notifyFd_, &one, sizeof one);
}

void SerialReader::drain() {
  uint64_t count;
  [[maybe_unused]] ssize_t ignored = ::read(wakeFd_, &count, sizeof count);
}

void SerialReader::run() {
  while (!stopping_.load(std::memory_order_acquire) && !hungUp_.load(std::memory_order_relaxed)) {
    // A full ring is not read: the device keeps what comes (a line with
    // flow control holds the far end back). The flag is set before the
    // room is looked at again, so that a consumer's take in between wakes
    // the poll.
    bool room = ring_.freeSpace() > 0;
    if (!room) {
      waitingForRoom_.store(true, std::memory_order_release);
      room = ring_.freeSpace() > 0;
    }
    pollfd watched[2] = {{wakeFd_, POLLIN, 0}, {room ? fd_ : -1, POLLIN, 0}};
    if (::poll(watched, 2, -1) < 0) {
      if (errno == EINTR) continue;
      // The device cannot be watched: it is given up rather than polled in
      // a loop.
      hungUp_.store(true, std::memory_order_release);
      notify();
      return;
    }
    if (watched[0].revents & POLLIN) drain();
    if (!room || watched[1].revents == 0) continue;
    const uint64_t before = ring_.written();
    const bool live = readAvailable();
    if (!live) {
      hungUp_.store(true, std::memory_order_release);
      notify();
      return;
    }
    if (ring_.written() != before && armed_.exchange(false, std::memory_order_acq_rel)) notify();
  }
}

bool SerialReader::readAvailable() {
  // What these reads take was in the device as they began.
  FILETIME time;
  GetSystemTimePreciseAsFileTime(&time);
  const int eventChar = eventChar_.load(std::memory_order_relaxed);
  while (ring_.freeSpace() > 0) {
    auto [space, room] = ring_.freeSpan();
    const ssize_t count = ::read(fd_, space, room);
    if (count > 0) {
      if (eventChar >= 0 && std::memchr(space, eventChar, static_cast<size_t>(count)) != nullptr)
        eventCharSeen_.store(true, std::memory_order_release);
      ring_.produce(static_cast<size_t>(count));
      // A short read emptied the device; asking again would only fail.
      if (static_cast<size_t>(count) < room) break;
      continue;
    }
    if (count < 0 && errno == EINTR) continue;
    // With VMIN 1 an empty, live terminal fails with EAGAIN; 0 is end of
    // file, which a terminal gives only after a hang-up.
    const bool live = count < 0 && (errno == EAGAIN || errno == EWOULDBLOCK);
    ring_.publish(time);
    return live;
  }
  // What these reads took is one arrival.
  ring_.publish(time);
  return true;
}

}  // namespace platform
