#include "HelperProcess.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <stdexcept>
#include <thread>

HelperProcess::HelperProcess(const std::string& program, const std::vector<std::string>& arguments, int passFd) {
  int out[2];
  if (::pipe2(out, O_CLOEXEC) != 0) throw std::runtime_error("pipe failed");
  std::vector<char*> argv;
  argv.push_back(const_cast<char*>(program.c_str()));
  for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
  argv.push_back(nullptr);
  pid_ = ::fork();
  if (pid_ == 0) {
    ::dup2(out[1], STDOUT_FILENO);
    if (passFd >= 0) ::dup2(passFd, 3);
    // The test's own handling of signals is not the program's.
    for (int signal : {SIGTERM, SIGINT, SIGHUP, SIGQUIT, SIGPIPE}) ::signal(signal, SIG_DFL);
    sigset_t none;
    sigemptyset(&none);
    ::sigprocmask(SIG_SETMASK, &none, nullptr);
    ::execv(program.c_str(), argv.data());
    ::_exit(127);
  }
  ::close(out[1]);
  out_ = out[0];
  if (pid_ < 0) throw std::runtime_error("fork failed");
}

HelperProcess::~HelperProcess() {
  if (Running()) {
    ::kill(pid_, SIGKILL);
    ::waitpid(pid_, nullptr, 0);
  }
  ::close(out_);
}

bool HelperProcess::WaitForLine(const std::string& prefix, std::chrono::milliseconds timeout) {
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  for (;;) {
    for (size_t end; (end = output_.find('\n', scanned_)) != std::string::npos; scanned_ = end + 1)
      if (output_.compare(scanned_, prefix.size(), prefix) == 0) {
        scanned_ = end + 1;
        return true;
      }
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    pollfd readable{out_, POLLIN, 0};
    if (left.count() <= 0 || ::poll(&readable, 1, static_cast<int>(left.count())) <= 0) return false;
    char chunk[4096];
    const ssize_t got = ::read(out_, chunk, sizeof chunk);
    if (got <= 0) return false;
    output_.append(chunk, static_cast<size_t>(got));
  }
}

std::optional<int> HelperProcess::WaitForEnd(std::chrono::milliseconds timeout) {
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  while (Running()) {
    if (std::chrono::steady_clock::now() >= deadline) return std::nullopt;
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  // What it wrote last.
  char chunk[4096];
  ::fcntl(out_, F_SETFL, O_NONBLOCK);
  for (ssize_t got; (got = ::read(out_, chunk, sizeof chunk)) > 0;) output_.append(chunk, static_cast<size_t>(got));
  return status_;
}

bool HelperProcess::Running() {
  if (status_) return false;
  int status = 0;
  if (::waitpid(pid_, &status, WNOHANG) != pid_) return true;
  status_ = status;
  return false;
}
