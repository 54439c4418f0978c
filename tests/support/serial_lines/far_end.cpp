#include "far_end.h"

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>
#include <stdexcept>

#include "ports_folder.h"

namespace serial_lines {

namespace {

// What is left of `timeout` from `deadline`, for poll.
int MillisecondsLeft(std::chrono::steady_clock::time_point deadline) {
  const auto left =
      std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now()).count();
  return static_cast<int>(std::max<long long>(left, 0));
}

}  // namespace

FarEnd::FarEnd() {
  char name[256] = {};
  if (::openpty(&master_, &terminal_, name, nullptr, nullptr) != 0) throw std::runtime_error("openpty failed");
  ::fcntl(master_, F_SETFL, ::fcntl(master_, F_GETFL) | O_NONBLOCK);
  terminalPath_ = name;
}

FarEnd::FarEnd(const PortsFolder& folder, DWORD port) : FarEnd() {
  linkPath_ = folder.Link(port);
  if (::symlink(terminalPath_.c_str(), linkPath_.c_str()) != 0) {
    HangUp();
    throw std::runtime_error("cannot link " + linkPath_);
  }
}

FarEnd::~FarEnd() {
  Unlink();
  HangUp();
}

void FarEnd::Send(const std::string& bytes) {
  size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t count = ::write(master_, bytes.data() + done, bytes.size() - done);
    if (count > 0) {
      done += static_cast<size_t>(count);
      continue;
    }
    pollfd writable{master_, POLLOUT, 0};
    if (::poll(&writable, 1, 10000) <= 0)
      throw std::runtime_error("the far end could send only " + std::to_string(done) + " of " +
                               std::to_string(bytes.size()) + " bytes");
  }
}

void FarEnd::SendAndLeaveWaiting(const std::string& bytes) {
  termios raw = Settings();
  ::cfmakeraw(&raw);
  ::tcsetattr(terminal_, TCSANOW, &raw);
  const auto waiting = [this] {
    int count = 0;
    return ::ioctl(terminal_, FIONREAD, &count) == 0 ? static_cast<size_t>(count) : 0;
  };
  const size_t before = waiting();
  Send(bytes);
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (waiting() < before + bytes.size()) {
    if (std::chrono::steady_clock::now() > deadline) throw std::runtime_error("sent bytes never reached the terminal");
    ::usleep(1000);
  }
}

std::string FarEnd::Receive(size_t count, std::chrono::milliseconds timeout) {
  std::string bytes;
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  char chunk[65536];
  while (bytes.size() < count) {
    pollfd readable{master_, POLLIN, 0};
    if (::poll(&readable, 1, MillisecondsLeft(deadline)) <= 0) break;
    const ssize_t got = ::read(master_, chunk, std::min(sizeof chunk, count - bytes.size()));
    if (got <= 0) break;
    bytes.append(chunk, static_cast<size_t>(got));
  }
  return bytes;
}

std::string FarEnd::ReceiveFor(std::chrono::milliseconds time) {
  std::string bytes;
  const auto deadline = std::chrono::steady_clock::now() + time;
  char chunk[65536];
  for (;;) {
    pollfd readable{master_, POLLIN, 0};
    if (::poll(&readable, 1, MillisecondsLeft(deadline)) <= 0) break;
    const ssize_t got = ::read(master_, chunk, sizeof chunk);
    if (got <= 0) break;
    bytes.append(chunk, static_cast<size_t>(got));
  }
  return bytes;
}

bool FarEnd::NothingArrives(std::chrono::milliseconds quiet) {
  pollfd readable{master_, POLLIN, 0};
  return ::poll(&readable, 1, static_cast<int>(quiet.count())) == 0;
}

termios FarEnd::Settings() const {
  termios settings{};
  if (::tcgetattr(master_, &settings) != 0) throw std::runtime_error("cannot read the line settings");
  return settings;
}

void FarEnd::HangUp() {
  if (master_ >= 0) ::close(master_);
  if (terminal_ >= 0) ::close(terminal_);
  master_ = -1;
  terminal_ = -1;
}

void FarEnd::Unlink() {
  if (!linkPath_.empty()) ::unlink(linkPath_.c_str());
  linkPath_.clear();
}

}  // namespace serial_lines
