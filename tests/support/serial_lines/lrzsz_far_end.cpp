#include "lrzsz_far_end.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace serial_lines {
namespace {

using Clock = std::chrono::steady_clock;

// Writes what a descriptor takes now of Bytes: how many, 0 when it takes
// none now, -1 when it takes no more (its reader has gone).
ssize_t WriteSome(int fd, const char* bytes, size_t count, bool socket) {
  const ssize_t n = socket ? ::send(fd, bytes, count, MSG_NOSIGNAL | MSG_DONTWAIT) : ::write(fd, bytes, count);
  if (n >= 0) return n;
  return errno == EAGAIN || errno == EINTR ? 0 : -1;
}

int MsUntil(Clock::time_point when) {
  const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(when - Clock::now()).count();
  return static_cast<int>(std::clamp<long long>(ms, 1, 100));
}

// One direction of the relay: bytes read and not yet written, paced.
struct Way {
  std::string pending;
  Clock::time_point due = Clock::now();  // when the line is free for more
};

}  // namespace

LrzszFarEnd::LrzszFarEnd(int master, const std::string& folder, const std::vector<std::string>& words,
                         const std::string& prefix, LineLikeness likeness)
    : master_(master), errors_(folder + ".far-end-errors"), likeness_(likeness) {
  int ends[2];
  if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, ends) != 0) throw std::runtime_error("socketpair failed");
  board_ = ends[0];
  for (size_t done = 0; done < prefix.size();) {
    const ssize_t n = WriteSome(master_, prefix.data() + done, prefix.size() - done, false);
    if (n < 0) break;
    done += static_cast<size_t>(n);
    if (done < prefix.size()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
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
  // The program is now the last holder of its side: its end ends the
  // relay, after its last bytes.
  ::close(ends[1]);
  relay_ = std::thread([this] { Relay(); });
}

LrzszFarEnd::~LrzszFarEnd() {
  Kill();
  ::unlink(errors_.c_str());
}

void LrzszFarEnd::Relay() {
  const double rate = likeness_.bytesPerSecond;
  // A paced line moves 2 ms of bytes at a time.
  const size_t step = rate > 0 ? std::max<size_t>(1, static_cast<size_t>(rate / 500)) : 4096;
  Way out, in;             // from the program to the line; from the line to it
  uint64_t toProgram = 0;  // bytes read from the line, for the spoiling
  bool programGone = false, programDeaf = false;
  char buffer[4096];
  for (;;) {
    const Clock::time_point now = Clock::now();
    // Writes what is due; a paced way waits for its time.
    for (Way* way : {&out, &in}) {
      if (way->pending.empty() || (rate > 0 && now < way->due)) continue;
      const bool toLine = way == &out;
      const ssize_t n = programDeaf && !toLine ? -1
                                               : WriteSome(toLine ? master_ : board_, way->pending.data(),
                                                           std::min(step, way->pending.size()), !toLine);
      if (n < 0) {
        // The program reads no more (it ended), or the line is gone.
        programDeaf = programDeaf || !toLine;
        way->pending.clear();
        continue;
      }
      way->pending.erase(0, static_cast<size_t>(n));
      // A line busy since its last bytes goes on from when they ended, not
      // from when the relay woke (that would slow it by every late wake-up);
      // an idle one starts now.
      if (rate > 0 && n > 0) {
        if (now - way->due > std::chrono::milliseconds(5)) way->due = now;
        way->due += std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(n / rate));
      }
    }
    if (programGone && out.pending.empty()) break;  // its last bytes went
    int waitMs = 100;
    for (const Way* way : {&out, &in})
      if (!way->pending.empty()) waitMs = std::min(waitMs, rate > 0 ? MsUntil(way->due) : 1);
    // Takes more only while little waits, as a line's buffers are small.
    pollfd fds[2] = {{programGone || out.pending.size() >= sizeof buffer ? -1 : board_, POLLIN, 0},
                     {in.pending.size() >= sizeof buffer ? -1 : master_, POLLIN, 0}};
    if (::poll(fds, 2, waitMs) < 0 && errno != EINTR) break;
    if (fds[0].revents & (POLLIN | POLLHUP | POLLERR)) {
      const ssize_t n = ::read(board_, buffer, sizeof buffer);
      if (n > 0)
        out.pending.append(buffer, static_cast<size_t>(n));
      else if (n == 0 || errno != EINTR)
        programGone = true;  // it has ended, and all it wrote was read
    }
    if ((fds[1].revents & (POLLHUP | POLLERR)) && !(fds[1].revents & POLLIN))
      std::this_thread::sleep_for(std::chrono::milliseconds(10));  // the port is closed for now
    if (fds[1].revents & POLLIN) {
      const ssize_t n = ::read(master_, buffer, sizeof buffer);
      for (ssize_t i = 0; i < n; ++i) {
        char byte = buffer[i];
        if (likeness_.spoilEvery != 0 && ++toProgram % likeness_.spoilEvery == 0) {
          byte = static_cast<char>(~byte);
          ++spoiled_;
        }
        in.pending += byte;
      }
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

void LrzszFarEnd::Interrupt() {
  if (!status_) ::kill(pid_, SIGINT);
}

std::string LrzszFarEnd::Said() const {
  std::ifstream file(errors_);
  std::stringstream text;
  text << file.rdbuf();
  return text.str();
}

}  // namespace serial_lines
