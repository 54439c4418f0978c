// Time limits for calls that must never wait, and a FIFO that nobody opens
// for code that must never wait on one. A call still running after its
// limit is rescued (for a FIFO: the other end is opened and closed, so the
// waiting open returns) and the test fails rather than hanging for ever.
#pragma once

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

// Runs the call; true when it returned within the limit. Past the limit,
// `rescue` runs, and again every 100 ms until the call has returned.
inline bool ReturnsWithin(const std::function<void()>& call, std::chrono::seconds limit,
                          const std::function<void()>& rescue) {
  std::mutex lock;
  std::condition_variable returned;
  bool done = false;
  bool rescued = false;
  std::thread guard([&] {
    std::unique_lock<std::mutex> held(lock);
    if (returned.wait_for(held, limit, [&] { return done; })) return;
    rescued = true;
    do rescue();
    while (!returned.wait_for(held, std::chrono::milliseconds(100), [&] { return done; }));
  });
  call();
  {
    std::lock_guard<std::mutex> held(lock);
    done = true;
  }
  returned.notify_all();
  guard.join();
  return !rescued;
}

// A rescue for a call that nothing else can end (a read without end): the
// test program stops with a message.
inline std::function<void()> EndTheTestProgram(const char* what) {
  return [what] {
    std::fprintf(stderr, "FAILED: %s did not return in time\n", what);
    std::_Exit(EXIT_FAILURE);
  };
}

class UnopenedFifo {
 public:
  explicit UnopenedFifo(std::string path) : path_(std::move(path)) {
    made_ = ::mkfifo(path_.c_str(), 0600) == 0;
    // A writer let through by the rescue would otherwise end the test
    // program when its reader is gone.
    std::signal(SIGPIPE, SIG_IGN);
  }
  ~UnopenedFifo() { ::unlink(path_.c_str()); }
  UnopenedFifo(const UnopenedFifo&) = delete;
  UnopenedFifo& operator=(const UnopenedFifo&) = delete;

  const std::string& Path() const { return path_; }
  bool Made() const { return made_; }

  // Runs the call; true when it returned within the limit without the
  // FIFO's other end being opened for it.
  bool ReturnsWithin(const std::function<void()>& call, std::chrono::seconds limit = std::chrono::seconds(20)) {
    return ::ReturnsWithin(call, limit, [this] {
      // Either end satisfies a waiting open of the other; closing it at
      // once leaves a reader at end of file and a writer with EPIPE.
      const int fd = ::open(path_.c_str(), O_RDWR | O_NONBLOCK);
      if (fd >= 0) ::close(fd);
    });
  }

 private:
  std::string path_;
  bool made_ = false;
};
