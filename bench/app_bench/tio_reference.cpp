#include "tio_reference.h"

#include <pty.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <thread>

#include "process_cpu.h"
#include "runs.h"

namespace {

// Where Debian installs tio; the benchmark looks nowhere else.
const char kTioPath[] = "/usr/bin/tio";

}  // namespace

// One line: its far end, tio on the line's device, and a reader of tio's
// terminal.
class TioLine {
 public:
  TioLine() {
    if (openpty(&terminal_, &terminalSlave_, nullptr, nullptr, nullptr) != 0) return;
    pid_ = fork();
    if (pid_ == 0) {
      setsid();
      ioctl(terminalSlave_, TIOCSCTTY, 0);
      for (int fd = 0; fd < 3; ++fd) dup2(terminalSlave_, fd);
      close(terminal_);
      close(terminalSlave_);
      // The benchmark's own configuration folder (the process's
      // XDG_CONFIG_HOME) holds no tio settings: no user's settings apply.
      if (const char* config = getenv("XDG_CONFIG_HOME")) setenv("HOME", config, 1);
      execl(kTioPath, "tio", "--mute", "--color", "none", "--baudrate", "115200", end_.TerminalPath().c_str(),
            static_cast<char*>(nullptr));
      _exit(127);
    }
    close(terminalSlave_);
    terminalSlave_ = -1;
    if (pid_ > 0) reader_ = std::thread([this] { Read(); });
  }

  ~TioLine() {
    // tio's end closes its terminal, which ends the reader.
    if (pid_ > 0) {
      kill(pid_, SIGTERM);
      waitpid(pid_, nullptr, 0);
    }
    if (reader_.joinable()) reader_.join();
    if (terminal_ >= 0) close(terminal_);
  }

  bool Started() const { return pid_ > 0 && waitpid(pid_, nullptr, WNOHANG) == 0; }
  serial_lines::PatternFarEnd& End() { return end_; }
  pid_t Pid() const { return pid_; }
  uint64_t Printed() const { return printed_; }
  uint64_t Wrong() const { return wrong_; }

 private:
  void Read() {
    char buffer[65536];
    for (;;) {
      // Blocks until tio prints: an idle reader costs nothing while the
      // window is measured.
      const ssize_t count = read(terminal_, buffer, sizeof buffer);
      if (count <= 0) {
        if (count < 0 && errno == EINTR) continue;
        break;
      }
      for (ssize_t i = 0; i < count; ++i) {
        if (buffer[i] == PatternByte(printed_))
          ++printed_;
        else
          ++wrong_;
      }
    }
  }

  serial_lines::PatternFarEnd end_;
  int terminal_ = -1;
  int terminalSlave_ = -1;
  pid_t pid_ = -1;
  std::atomic<uint64_t> printed_{0};
  std::atomic<uint64_t> wrong_{0};
  std::thread reader_;
};

TioReference::TioReference() {
  if (access(kTioPath, X_OK) != 0) {
    missing_ = std::string(kTioPath) + " is not installed (Debian package tio)";
    return;
  }
  for (std::unique_ptr<TioLine>& line : lines_) line = std::make_unique<TioLine>();
  std::this_thread::sleep_for(std::chrono::seconds(1));  // tio opens its device
  for (const auto& line : lines_)
    if (!line->Started()) missing_ = "tio did not start";
}

TioReference::~TioReference() = default;

TioResult TioReference::Run(double rate, double seconds) {
  TioResult result;
  if (!missing_.empty()) {
    result.note = missing_;
    return result;
  }
  result.ran = true;
  std::array<serial_lines::PatternFarEnd*, 2> ends = {&lines_[0]->End(), &lines_[1]->End()};
  std::array<uint64_t, 2> printedBefore{}, wrongBefore{}, takenBefore{};
  double cpuBefore = 0;
  for (int index = 0; index < 2; ++index) {
    printedBefore[index] = lines_[index]->Printed();
    wrongBefore[index] = lines_[index]->Wrong();
    takenBefore[index] = ends[index]->Written();
    cpuBefore += ProcessCpuSecondsOf(lines_[index]->Pid());
  }
  const Clock::time_point start = Clock::now();
  const std::array<uint64_t, 2> lost = FeedLikeRealLines(ends, rate, seconds);
  double cpu = -cpuBefore;
  for (const auto& line : lines_) cpu += ProcessCpuSecondsOf(line->Pid());
  result.cpuPercent = 100 * cpu / std::chrono::duration<double>(Clock::now() - start).count();

  // What tio still has on its way to the terminal.
  const Clock::time_point deadline = Clock::now() + std::chrono::seconds(10);
  for (int index = 0; index < 2; ++index)
    while (lines_[index]->Printed() < ends[index]->Written() && Clock::now() < deadline)
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
  for (int index = 0; index < 2; ++index) {
    result.taken += ends[index]->Written() - takenBefore[index];
    result.lost += lost[index];
    result.printed += lines_[index]->Printed() - printedBefore[index];
    result.wrong += lines_[index]->Wrong() - wrongBefore[index];
  }
  return result;
}
