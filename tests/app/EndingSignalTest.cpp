// The program ended from outside: each ending signal, sent while both lines
// stream, closes the window as its close does; the lines are given back as
// they were found, unclaimed, and the lock files go. A window that cannot
// close, or a second signal, still ends it so. A capture into a pipe whose
// reader goes stops with its message and nothing else.
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <thread>

#include "HelperProcess.h"
#include "far_end.h"
#include "ports_folder.h"

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using serial_lines::FarEnd;
using serial_lines::PortsFolder;

// Generous: the program ends within 2 s; this only keeps a broken one from
// holding the test.
constexpr auto kEndLimit = 30s;

// A far end that writes as fast as its line takes it until stopped.
class Flood {
 public:
  explicit Flood(int fd)
      : thread_([this, fd] {
          const std::string chunk(512, 'f');
          while (!stop_)
            if (::write(fd, chunk.data(), chunk.size()) < 0) std::this_thread::sleep_for(1ms);
        }) {}
  ~Flood() {
    stop_ = true;
    thread_.join();
  }

 private:
  std::atomic<bool> stop_{false};
  std::thread thread_;
};

bool SameSettings(const termios& one, const termios& other) {
  return one.c_iflag == other.c_iflag && one.c_oflag == other.c_oflag && one.c_cflag == other.c_cflag &&
         one.c_lflag == other.c_lflag && std::memcmp(one.c_cc, other.c_cc, sizeof one.c_cc) == 0 &&
         cfgetispeed(&one) == cfgetispeed(&other) && cfgetospeed(&one) == cfgetospeed(&other);
}

bool Exclusive(const FarEnd& line) {
  int exclusive = 0;
  return ::ioctl(line.Terminal(), TIOCGEXCL, &exclusive) == 0 && exclusive != 0;
}

std::vector<std::string> LockFolderFiles(const PortsFolder& folder) {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(folder.Locks())) names.push_back(entry.path().filename().string());
  return names;
}

class EndingSignal : public ::testing::TestWithParam<int> {
 protected:
  // The program with COM1 and COM2 open in its panels, both lines
  // streaming to it.
  void Start(const std::vector<std::string>& more = {}, int passFd = -1) {
    before_[0] = lines_[0].Settings();
    before_[1] = lines_[1].Settings();
    std::vector<std::string> arguments{folder_.Locks(), "1", "2"};
    arguments.insert(arguments.end(), more.begin(), more.end());
    program_.emplace(ENDING_SIGNAL_HELPER, arguments, passFd);
    ASSERT_TRUE(program_->WaitForLine("ready")) << program_->Output();
    ASSERT_FALSE(SameSettings(lines_[0].Settings(), before_[0])) << "the open sets the line raw";
    ASSERT_TRUE(Exclusive(lines_[0]));
    ASSERT_EQ(LockFolderFiles(folder_).size(), 2u);
    floods_[0].emplace(lines_[0].Master());
    floods_[1].emplace(lines_[1].Master());
  }

  // Both lines as they were before the program, unclaimed, and no lock
  // file left.
  void ExpectLinesGivenBack() {
    floods_[0].reset();
    floods_[1].reset();
    for (int index = 0; index < 2; ++index) {
      EXPECT_TRUE(SameSettings(lines_[index].Settings(), before_[index])) << "COM" << index + 1;
      EXPECT_FALSE(Exclusive(lines_[index])) << "COM" << index + 1;
      const int again = ::open(lines_[index].TerminalPath().c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
      EXPECT_GE(again, 0) << "COM" << index + 1;
      if (again >= 0) ::close(again);
    }
    EXPECT_EQ(LockFolderFiles(folder_), std::vector<std::string>{});
  }

  PortsFolder folder_;
  FarEnd lines_[2] = {FarEnd(folder_, 1), FarEnd(folder_, 2)};
  termios before_[2];
  std::optional<HelperProcess> program_;
  std::optional<Flood> floods_[2];
};

TEST_P(EndingSignal, ClosesTheWindowUnaskedAndGivesBothLinesBack) {
  Start();
  const auto sent = std::chrono::steady_clock::now();
  ASSERT_EQ(::kill(program_->Pid(), GetParam()), 0);
  const std::optional<int> status = program_->WaitForEnd(kEndLimit);
  const auto took = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - sent);
  ASSERT_TRUE(status) << "still running";
  std::printf("ended %lld ms after %s\n", static_cast<long long>(took.count()), strsignal(GetParam()));
  // Ended by its own close: the window's loop returned and the program
  // ended normally; nothing was asked.
  EXPECT_TRUE(WIFEXITED(*status) && WEXITSTATUS(*status) == 0) << "wait status " << *status;
  EXPECT_NE(program_->Output().find("closed\n"), std::string::npos) << program_->Output();
  EXPECT_EQ(program_->Output().find("dialog:"), std::string::npos) << program_->Output();
  ExpectLinesGivenBack();
}

INSTANTIATE_TEST_SUITE_P(EachSignal, EndingSignal, ::testing::Values(SIGTERM, SIGINT, SIGHUP, SIGQUIT),
                         [](const ::testing::TestParamInfo<int>& info) {
                           return std::string(sigabbrev_np(info.param));
                         });

using EndingSignalLastResort = EndingSignal;

TEST_F(EndingSignalLastResort, AWindowThatCannotCloseIsEndedByTheSignalWithTheLinesGivenBack) {
  Start({"--stuck"});
  ASSERT_EQ(::kill(program_->Pid(), SIGTERM), 0);
  const std::optional<int> status = program_->WaitForEnd(kEndLimit);
  ASSERT_TRUE(status) << "still running";
  EXPECT_TRUE(WIFSIGNALED(*status) && WTERMSIG(*status) == SIGTERM) << "wait status " << *status;
  ExpectLinesGivenBack();
}

// Whether a process-directed signal is still pending for the process (not
// yet taken by any of its threads), as /proc tells.
bool SignalPending(pid_t pid, int signal) {
  std::ifstream status("/proc/" + std::to_string(pid) + "/status");
  for (std::string line; std::getline(status, line);)
    if (line.rfind("ShdPnd:", 0) == 0) return (std::stoull(line.substr(7), nullptr, 16) >> (signal - 1)) & 1;
  return false;
}

TEST_F(EndingSignalLastResort, ASecondSignalEndsItAtOnceWithTheLinesGivenBack) {
  Start({"--stuck"});
  ASSERT_EQ(::kill(program_->Pid(), SIGTERM), 0);
  // Two signals pending together are taken lowest number first, which
  // would make SIGINT the first: the second goes once the first is taken.
  const auto sent = std::chrono::steady_clock::now();
  while (SignalPending(program_->Pid(), SIGTERM) && std::chrono::steady_clock::now() - sent < kEndLimit)
    std::this_thread::sleep_for(1ms);
  ASSERT_EQ(::kill(program_->Pid(), SIGINT), 0);
  const std::optional<int> status = program_->WaitForEnd(kEndLimit);
  ASSERT_TRUE(status) << "still running";
  // Ended by the second signal, not by the first one's time limit.
  EXPECT_TRUE(WIFSIGNALED(*status) && WTERMSIG(*status) == SIGINT) << "wait status " << *status;
  ExpectLinesGivenBack();
}

// Device 1's panel captures into a pipe the test holds the reading end of.
class CaptureIntoAPipe : public EndingSignal {
 protected:
  void SetUp() override {
    ASSERT_EQ(::pipe2(pipe_, O_CLOEXEC), 0);
    Start({"--capture", "/dev/fd/3"}, pipe_[1]);
    ::close(pipe_[1]);
  }
  void TearDown() override {
    if (pipe_[0] >= 0) ::close(pipe_[0]);
  }

  int pipe_[2] = {-1, -1};
};

TEST_F(CaptureIntoAPipe, AReaderThatGoesStopsTheCaptureWithItsMessageAndNothingElse) {
  pollfd readable{pipe_[0], POLLIN, 0};
  ASSERT_EQ(::poll(&readable, 1, 30000), 1) << "nothing captured";
  ::close(pipe_[0]);
  pipe_[0] = -1;
  EXPECT_TRUE(program_->WaitForLine("dialog: 保存接收数据已停止：管道的读取端已关闭")) << program_->Output();
  ASSERT_TRUE(program_->Running());
  ASSERT_EQ(::kill(program_->Pid(), SIGTERM), 0);
  const std::optional<int> status = program_->WaitForEnd(kEndLimit);
  ASSERT_TRUE(status) << "still running";
  EXPECT_TRUE(WIFEXITED(*status) && WEXITSTATUS(*status) == 0) << "wait status " << *status;
  ExpectLinesGivenBack();
}

TEST_F(CaptureIntoAPipe, AWriterStuckOnAPipeNobodyReadsDoesNotHoldQuitting) {
  // The pipe fills and the capture's writer blocks in its write: what the
  // pipe holds stops growing. It holds whole pages, and writes of up to a
  // block each leave part of a page unused, so full is at least half its
  // 64 KiB.
  constexpr int kAtLeastFull = 32 * 1024;
  int queued = 0;
  int before = -1;
  auto unchangedSince = std::chrono::steady_clock::now();
  const auto deadline = unchangedSince + 30s;
  while (std::chrono::steady_clock::now() < deadline) {
    if (::ioctl(pipe_[0], FIONREAD, &queued) != 0) queued = 0;
    if (queued != before) {
      before = queued;
      unchangedSince = std::chrono::steady_clock::now();
    } else if (queued >= kAtLeastFull && std::chrono::steady_clock::now() - unchangedSince > 1s) {
      break;
    }
    std::this_thread::sleep_for(10ms);
  }
  ASSERT_GE(queued, kAtLeastFull) << "the pipe never filled";
  ASSERT_EQ(::kill(program_->Pid(), SIGUSR1), 0);  // 退出, confirmed
  const std::optional<int> status = program_->WaitForEnd(kEndLimit);
  ASSERT_TRUE(status) << "still running";
  EXPECT_TRUE(WIFEXITED(*status) && WEXITSTATUS(*status) == 0) << "wait status " << *status;
  EXPECT_NE(program_->Output().find("closed\n"), std::string::npos) << program_->Output();
  ExpectLinesGivenBack();
}

}  // namespace
