#include "LrzszFarEnd.h"

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace {

// Writes all of Bytes to a descriptor that may be non-blocking.
bool WriteAll(int fd, const char* bytes, size_t count) {
  while (count > 0) {
    const ssize_t n = ::write(fd, bytes, count);
    if (n > 0) {
      bytes += n;
      count -= static_cast<size_t>(n);
    } else if (n < 0 && errno == EAGAIN) {
      pollfd out{fd, POLLOUT, 0};
      ::poll(&out, 1, 100);
    } else if (n < 0 && errno != EINTR) {
      return false;
    }
  }
  return true;
}

}  // namespace

LrzszFarEnd::LrzszFarEnd(int master, const std::string& folder, const std::vector<std::string>& words,
                         const std::string& prefix)
    : master_(master), errors_(folder + ".far-end-errors") {
  int boardTerminal = -1;
  termios raw{};
  ::cfmakeraw(&raw);
  if (::openpty(&boardMaster_, &boardTerminal, nullptr, &raw, nullptr) != 0) throw std::runtime_error("openpty failed");
  if (!prefix.empty()) WriteAll(master_, prefix.data(), prefix.size());
  pid_ = ::fork();
  if (pid_ < 0) throw std::runtime_error("fork failed");
  if (pid_ == 0) {
    if (::chdir(folder.c_str()) != 0) ::_exit(126);
    const int errors = ::open(errors_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    ::dup2(boardTerminal, 0);
    ::dup2(boardTerminal, 1);
    if (errors >= 0) ::dup2(errors, 2);
    ::closefrom(3);
    std::vector<char*> argv;
    for (const std::string& word : words) argv.push_back(const_cast<char*>(word.c_str()));
    argv.push_back(nullptr);
    ::execvp(argv[0], argv.data());
    ::_exit(127);
  }
  // The program's end closes its terminal's last descriptor, which ends the relay.
  ::close(boardTerminal);
  relay_ = std::thread([this] { Relay(); });
}

LrzszFarEnd::~LrzszFarEnd() {
  Kill();
  ::unlink(errors_.c_str());
}

void LrzszFarEnd::Relay() {
  char buffer[4096];
  for (;;) {
    pollfd fds[2] = {{boardMaster_, POLLIN, 0}, {master_, POLLIN, 0}};
    if (::poll(fds, 2, 100) < 0 && errno != EINTR) break;
    if (fds[0].revents & (POLLIN | POLLHUP | POLLERR)) {
      const ssize_t n = ::read(boardMaster_, buffer, sizeof buffer);
      if (n > 0) {
        if (!WriteAll(master_, buffer, static_cast<size_t>(n))) break;
      } else if (n == 0 || (errno != EAGAIN && errno != EINTR)) {
        break;  // the program's terminal is closed: it ended
      }
    }
    if (fds[1].revents & POLLIN) {
      const ssize_t n = ::read(master_, buffer, sizeof buffer);
      if (n > 0 && !WriteAll(boardMaster_, buffer, static_cast<size_t>(n))) break;
    }
  }
}

void LrzszFarEnd::Reap(int status) {
  status_ = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  if (relay_.joinable()) relay_.join();
  ::close(boardMaster_);
  boardMaster_ = -1;
}

std::optional<int> LrzszFarEnd::Ended() {
  if (status_) return status_;
  int status = 0;
  if (::waitpid(pid_, &status, WNOHANG) == pid_) Reap(status);
  return status_;
}

void LrzszFarEnd::Kill() {
  if (Ended()) return;
  ::kill(pid_, SIGKILL);
  int status = 0;
  ::waitpid(pid_, &status, 0);
  Reap(status);
}

std::string LrzszFarEnd::Said() const {
  std::ifstream file(errors_);
  std::stringstream text;
  text << file.rdbuf();
  return text.str();
}
