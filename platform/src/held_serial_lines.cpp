#include "held_serial_lines.h"

#include <sys/ioctl.h>

#include <array>
#include <atomic>
#include <mutex>

namespace platform {
namespace {

struct HeldLine {
  std::atomic<int> fd{-1};  // -1: the slot is free
  termios before{};
};

constexpr size_t kHeldLineSlots = 32;
std::array<HeldLine, kHeldLineSlots> heldLines;
std::mutex heldLinesChange;

}  // namespace

void rememberHeldLine(int fd, const termios& before) {
  std::lock_guard<std::mutex> guard(heldLinesChange);
  for (HeldLine& line : heldLines) {
    if (line.fd.load() >= 0) continue;
    line.before = before;
    line.fd.store(fd, std::memory_order_release);
    return;
  }
}

void forgetHeldLine(int fd) {
  std::lock_guard<std::mutex> guard(heldLinesChange);
  for (HeldLine& line : heldLines)
    if (line.fd.load() == fd) line.fd.store(-1, std::memory_order_release);
}

void giveBackHeldLines() {
  for (HeldLine& line : heldLines) {
    const int fd = line.fd.load(std::memory_order_acquire);
    if (fd < 0) continue;
    ::tcsetattr(fd, TCSANOW, &line.before);
    ::ioctl(fd, TIOCNXCL);
  }
}

}  // namespace platform
