#include "ending_signals.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <mutex>
#include <system_error>
#include <thread>

#include "device_change_broadcast.h"
#include "held_serial_lines.h"
#include "uucp_lock.h"

namespace platform {
namespace {

constexpr int kEndingSignals[] = {SIGTERM, SIGINT, SIGHUP, SIGQUIT};

// How long the windows have, from the signal, to close and let the process
// end before the last resort ends it.
constexpr auto kWindowsCloseLimit = std::chrono::seconds(2);

std::atomic<int> signalsSeen{0};
// The write end of the watcher's pipe; -1 while no watcher runs.
std::atomic<int> wakeWatcher{-1};

// Async-signal-safe; does not return.
void endNow(int signal) {
  giveBackHeldLines();
  removeHeldUucpLocks();
  struct sigaction byDefault {};
  byDefault.sa_handler = SIG_DFL;
  sigemptyset(&byDefault.sa_mask);
  ::sigaction(signal, &byDefault, nullptr);
  ::raise(signal);
  // Within its own handler the signal waits until it is let through.
  sigset_t only;
  sigemptyset(&only);
  sigaddset(&only, signal);
  ::pthread_sigmask(SIG_UNBLOCK, &only, nullptr);
  ::_exit(128 + signal);
}

// Nothing here but a write to a pipe (or the last resort): the windows are
// told by the watcher, on a thread of its own.
void onEndingSignal(int signal) {
  const int savedErrno = errno;
  const int wake = wakeWatcher.load();
  if (signalsSeen.fetch_add(1) == 0 && wake >= 0) {
    const auto number = static_cast<unsigned char>(signal);
    if (::write(wake, &number, 1) == 1) {
      errno = savedErrno;
      return;
    }
  }
  endNow(signal);
}

void watchForEndingSignal(int readEnd) {
  unsigned char number = 0;
  ssize_t got;
  do got = ::read(readEnd, &number, 1);
  while (got < 0 && errno == EINTR);
  if (got != 1) return;
  const int signal = number;
  // A hang-up is the user's session going; the others ask this program
  // alone to close.
  const LPARAM reason = signal == SIGHUP ? ENDSESSION_LOGOFF : ENDSESSION_CLOSEAPP;
  if (postToTopLevelWindows(WM_ENDSESSION, TRUE, reason) > 0) std::this_thread::sleep_for(kWindowsCloseLimit);
  endNow(signal);
}

}  // namespace

void handleEndingSignals() {
  static std::once_flag once;
  std::call_once(once, [] {
    for (int signal : kEndingSignals) {
      struct sigaction current {};
      if (::sigaction(signal, nullptr, &current) != 0) continue;
      if ((current.sa_flags & SA_SIGINFO) != 0) continue;
      if (current.sa_handler != SIG_DFL && current.sa_handler != SIG_IGN) continue;
      // SIGINT and SIGQUIT are taken even when ignored: a shell starts its
      // background jobs so, and a program that outlives them keeps its
      // ports and their locks. A hang-up ignored is nohup's request.
      if (signal == SIGHUP && current.sa_handler == SIG_IGN) continue;
      struct sigaction handler {};
      handler.sa_handler = onEndingSignal;
      handler.sa_flags = SA_RESTART;
      sigemptyset(&handler.sa_mask);
      ::sigaction(signal, &handler, nullptr);
    }
  });
}

void closeWindowsAtEndingSignals() {
  static std::once_flag once;
  std::call_once(once, [] {
    int ends[2];
    if (::pipe2(ends, O_CLOEXEC) != 0) return;
    try {
      std::thread(watchForEndingSignal, ends[0]).detach();
    } catch (const std::system_error&) {
      ::close(ends[0]);
      ::close(ends[1]);
      return;  // signals end the process at once, as without a window
    }
    wakeWatcher.store(ends[1]);
  });
  handleEndingSignals();
}

}  // namespace platform
