#include "process_far_end.h"

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <stdexcept>

namespace serial_lines {
namespace {

// The child's whole life; only calls that are safe after a fork of a
// threaded process.
[[noreturn]] void ServeLine(int master, bool streaming) {
  // Nothing of the parent's but the line: an inherited descriptor of a port
  // would keep that port's device open. Signals as a fresh program has them.
  if (master != 3) {
    ::dup2(master, 3);
    master = 3;
  }
  ::close_range(4, ~0U, 0);
  sigset_t all;
  ::sigfillset(&all);
  ::sigprocmask(SIG_UNBLOCK, &all, nullptr);
  for (int signal : {SIGTERM, SIGINT, SIGHUP, SIGPIPE}) ::signal(signal, SIG_DFL);
  static char buffer[4096];
  static const char kPiece[] = "0123456789abcdef0123456789abcdef0123456789abcdef0123456789abcde\n";
  for (;;) {
    pollfd line{master, POLLIN, 0};
    // Streaming: a 64-byte piece every 10 ms.
    const int ready = ::poll(&line, 1, streaming ? 10 : -1);
    if (ready < 0) continue;
    if (line.revents & POLLIN) {
      if (::read(master, buffer, sizeof buffer) < 0) ::_exit(1);
    }
    if (streaming && ready == 0) {
      if (::write(master, kPiece, sizeof kPiece - 1) < 0) ::_exit(1);
    }
  }
}

}  // namespace

ProcessFarEnd::ProcessFarEnd(const std::string& linkPath, bool streaming) {
  int master = -1;
  int terminal = -1;
  char name[256] = {};
  if (::openpty(&master, &terminal, name, nullptr, nullptr) != 0) throw std::runtime_error("openpty failed");
  // The port opens the terminal side by its name; only the child holds the
  // master side, so that the line hangs up when the child ends.
  ::close(terminal);
  child_ = ::fork();
  if (child_ == 0) ServeLine(master, streaming);
  ::close(master);
  if (child_ < 0) throw std::runtime_error("fork failed");
  if (::symlink(name, linkPath.c_str()) != 0) {
    End(SIGKILL);
    throw std::runtime_error("cannot link " + linkPath);
  }
  linkPath_ = linkPath;
}

ProcessFarEnd::~ProcessFarEnd() { End(SIGKILL); }

void ProcessFarEnd::End(int signal) {
  if (child_ > 0) {
    ::kill(child_, signal);
    while (::waitpid(child_, nullptr, 0) < 0 && errno == EINTR) {
    }
    child_ = -1;
  }
  if (!linkPath_.empty()) ::unlink(linkPath_.c_str());
  linkPath_.clear();
}

}  // namespace serial_lines
