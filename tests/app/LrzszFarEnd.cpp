#include "LrzszFarEnd.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace {

// Writes all of Bytes to the line's master, which may be non-blocking.
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

// Gives Bytes to the program; false once it reads no more (it ended).
bool GiveAll(int fd, const char* bytes, size_t count) {
  while (count > 0) {
    const ssize_t n = ::send(fd, bytes, count, MSG_NOSIGNAL);
    if (n > 0) {
      bytes += n;
      count -= static_cast<size_t>(n);
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
  int ends[2];
  if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, ends) != 0) throw std::runtime_error("socketpair failed");
  board_ = ends[0];
  if (!prefix.empty()) WriteAll(master_, prefix.data(), prefix.size());
  pid_ = ::fork();
  if (pid_ < 0) throw std::runtime_error("fork failed");
  if (pid_ == 0) {
    if (::chdir(folder.c_str()) != 0) ::_exit(126);
    const int errors = ::open(errors_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    ::dup2(ends[1], 0);
    ::dup2(ends[1], 1);
    if (errors >= 0) ::dup2(errors, 2);
    ::closefrom(3);
    std::vector<char*> argv;
    for (const std::string& word : words) argv.push_back(const_cast<char*>(word.c_str()));
    argv.push_back(nullptr);
    ::execvp(argv[0], argv.data());
    ::_exit(127);
  }
  // The program's end is now the last holder of its side: its end ends the
  // relay, after its last bytes.
  ::close(ends[1]);
  relay_ = std::thread([this] { Relay(); });
}

LrzszFarEnd::~LrzszFarEnd() {
  Kill();
  ::unlink(errors_.c_str());
}

void LrzszFarEnd::Relay() {
  char buffer[4096];
  bool reading = true;  // the program still takes what the line brings
  for (;;) {
    pollfd fds[2] = {{board_, POLLIN, 0}, {master_, POLLIN, 0}};
    if (::poll(fds, 2, 100) < 0 && errno != EINTR) break;
    if (fds[0].revents & (POLLIN | POLLHUP | POLLERR)) {
      const ssize_t n = ::read(board_, buffer, sizeof buffer);
      if (n > 0) {
        if (!WriteAll(master_, buffer, static_cast<size_t>(n))) break;
      } else if (n == 0 || errno != EINTR) {
        break;  // the program has ended, and all it wrote went
      }
    }
    if (fds[1].revents & POLLIN) {
      const ssize_t n = ::read(master_, buffer, sizeof buffer);
      if (n > 0 && reading) reading = GiveAll(board_, buffer, static_cast<size_t>(n));
    }
  }
}

void LrzszFarEnd::Reap(int status) {
  status_ = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  if (relay_.joinable()) relay_.join();
  ::close(board_);
  board_ = -1;
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
