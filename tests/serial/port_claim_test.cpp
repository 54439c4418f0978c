// What an open claims and gives back: the UUCP lock file, the refusal of a
// session's terminal, and the terminal settings it found.
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <vector>

#include <kestrix/platform_testing.h>
#include <kestrix/serial_open_report.h>

#include "../support/unopened_fifo.h"
#include "port_calls.h"
#include "shared_ports_folder.h"
#include "terminal_sessions.h"
#include "uucp_lock.h"

namespace {
namespace fs = std::filesystem;
using namespace serial_test;

std::string lockFileOf(const FarEnd& far) {
  return lockFolder() + "/LCK.." + fs::path(far.TerminalPath()).filename().string();
}

void writeLock(const std::string& path, pid_t pid) {
  char text[16];
  std::snprintf(text, sizeof text, "%10d\n", static_cast<int>(pid));
  std::ofstream(path) << text;
}

std::string fileText(const std::string& path) {
  std::ifstream in(path);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

SERIAL_OPEN_REPORT lastReport() {
  SERIAL_OPEN_REPORT report{};
  EXPECT_TRUE(GetLastSerialOpenReport(&report));
  return report;
}

// A process id that no process has: a child that has ended and been reaped.
pid_t deadProcess() {
  const pid_t child = ::fork();
  if (child == 0) ::_exit(0);
  ::waitpid(child, nullptr, 0);
  return child;
}

TEST(UucpLock, NamesAndHoldersAsOtherToolsWriteThem) {
  EXPECT_EQ(platform::uucpLockName("/dev/ttyUSB0"), "LCK..ttyUSB0");
  EXPECT_EQ(platform::uucpLockName("/dev/pts/3"), "LCK..3");
  const std::string file = lockFolder() + "/holder-test";
  std::ofstream(file) << "      4242\n";
  EXPECT_EQ(platform::readUucpLockHolder(file).pid, 4242);
  const int binary = 777;
  std::ofstream(file, std::ios::binary).write(reinterpret_cast<const char*>(&binary), sizeof binary);
  EXPECT_EQ(platform::readUucpLockHolder(file).pid, 777);
  std::ofstream(file) << "garbage\n";
  EXPECT_EQ(platform::readUucpLockHolder(file).pid, 0);
  // Some tools add their name and the user's after the id.
  std::ofstream(file) << "      4243 minicom root\n";
  EXPECT_EQ(platform::readUucpLockHolder(file).pid, 4243);
  EXPECT_EQ(platform::readUucpLockHolder(file).notALock, "");
  fs::remove(file);
}

// A lock name taken by a FIFO, by a link (here to /dev/zero, which a read
// would follow without end) or by a folder: nothing is followed, read or
// waited on; the port is refused as held by an unknown program, the thing
// is left where it is, and the open's report says why.
TEST(UucpLock, WhatIsNoLockFileAtTheLocksNameIsTakenAsAnUnknownHolder) {
  FarEnd far(17);
  const std::string lock = lockFileOf(far);
  const auto refusedAsHeld = [&](const std::string& kind) {
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    const SERIAL_OPEN_REPORT report = lastReport();
    EXPECT_TRUE(report.bInUse);
    EXPECT_EQ(report.dwHolderProcessId, 0u);
    EXPECT_EQ(std::string(report.szRemark), lock + " is " + kind + ", not a lock file: " + far.TerminalPath() +
                                                " is taken to be in use by an unknown program");
    EXPECT_TRUE(fs::exists(fs::symlink_status(lock))) << "left where it is";
  };
  HANDLE port = INVALID_HANDLE_VALUE;
  {
    UnopenedFifo fifo(lock);
    ASSERT_TRUE(fifo.Made());
    EXPECT_TRUE(fifo.ReturnsWithin([&] { port = openPort(17); })) << "waited on the FIFO";
    EXPECT_EQ(port, INVALID_HANDLE_VALUE);
    refusedAsHeld("a FIFO");
  }
  fs::create_symlink("/dev/zero", lock);
  ReturnsWithin([&] { port = openPort(17); }, std::chrono::seconds(20),
                EndTheTestProgram("a lock linked to /dev/zero"));
  EXPECT_EQ(port, INVALID_HANDLE_VALUE);
  refusedAsHeld("a symbolic link");
  fs::remove(lock);
  fs::create_directory(lock);
  EXPECT_EQ(openPort(17), INVALID_HANDLE_VALUE);
  refusedAsHeld("a folder");
  fs::remove(lock);
  port = openPort(17);
  EXPECT_NE(port, INVALID_HANDLE_VALUE);
  CloseHandle(port);
}

// However large the file, only its first bytes are read: an 8 GiB sparse
// lock naming a live process refuses the port, one naming none is stale
// and taken over.
TEST(UucpLock, AHugeLockIsReadNoFurtherThanItsFirstBytes) {
  FarEnd far(18);
  const std::string lock = lockFileOf(far);
  writeLock(lock, ::getppid());
  ASSERT_EQ(::truncate(lock.c_str(), 8LL << 30), 0);
  EXPECT_EQ(platform::readUucpLockHolder(lock).pid, ::getppid());
  EXPECT_EQ(openPort(18), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
  EXPECT_EQ(lastReport().dwHolderProcessId, static_cast<DWORD>(::getppid()));

  ASSERT_EQ(::truncate(lock.c_str(), 0), 0);
  ASSERT_EQ(::truncate(lock.c_str(), 8LL << 30), 0);
  HANDLE port = openPort(18);
  ASSERT_NE(port, INVALID_HANDLE_VALUE);
  EXPECT_LT(fs::file_size(lock), 64u);  // ours, in its place
  CloseHandle(port);
}

TEST(UucpLock, ALiveForeignLockRefusesTheOpenAndNamesItsHolder) {
  FarEnd far(12);
  const pid_t other = ::getppid();  // alive, and not this process
  writeLock(lockFileOf(far), other);
  SetLastError(0);
  EXPECT_EQ(openPort(12), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
  const SERIAL_OPEN_REPORT report = lastReport();
  EXPECT_TRUE(report.bInUse);
  EXPECT_EQ(report.dwHolderProcessId, static_cast<DWORD>(other));
  EXPECT_STRNE(report.szHolderProgram, "");
  EXPECT_EQ(std::string(report.szDevice), far.TerminalPath());
  // Someone else's lock is left as it was.
  EXPECT_EQ(platform::readUucpLockHolder(lockFileOf(far)).pid, other);
  fs::remove(lockFileOf(far));
}

TEST(UucpLock, AStaleLockIsTakenOverAndOursGoesAtCloseAndAtHangUp) {
  FarEnd far(13);
  writeLock(lockFileOf(far), deadProcess());
  HANDLE port = openPort(13);
  ASSERT_NE(port, INVALID_HANDLE_VALUE);
  char ours[16];
  std::snprintf(ours, sizeof ours, "%10d\n", static_cast<int>(::getpid()));
  EXPECT_EQ(fileText(lockFileOf(far)), ours);
  // A second open here is refused by our own lock, naming this process.
  EXPECT_EQ(openPort(13), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
  EXPECT_TRUE(lastReport().bInUse);
  EXPECT_EQ(lastReport().dwHolderProcessId, static_cast<DWORD>(::getpid()));
  EXPECT_TRUE(fs::exists(lockFileOf(far)));
  CloseHandle(port);
  EXPECT_FALSE(fs::exists(lockFileOf(far)));

  port = openPort(13);
  ASSERT_NE(port, INVALID_HANDLE_VALUE);
  EXPECT_TRUE(fs::exists(lockFileOf(far)));
  far.HangUp();
  EXPECT_TRUE(WaitUntil([&] { return !fs::exists(lockFileOf(far)); }));
  CloseHandle(port);
}

TEST(UucpLock, WithoutAWritableLockFolderThePortOpensAndSaysSo) {
  FarEnd far(14);
  SetUucpLockFolderForTesting((lockFolder() + "/missing").c_str());
  HANDLE port = openPort(14);
  SetUucpLockFolderForTesting(lockFolder().c_str());
  ASSERT_NE(port, INVALID_HANDLE_VALUE);
  EXPECT_NE(std::string(lastReport().szRemark).find("without a lock file"), std::string::npos);
  CloseHandle(port);
}

// A child that makes the terminal the controlling terminal of its own new
// session, as a shell's login does, and stays until it is killed.
class SessionLeader {
 public:
  explicit SessionLeader(const std::string& terminal) {
    int ready[2];
    if (::pipe(ready) != 0) return;
    pid_ = ::fork();
    if (pid_ == 0) {
      ::setsid();
      const int fd = ::open(terminal.c_str(), O_RDWR | O_NOCTTY);
      const char ok = fd >= 0 && ::ioctl(fd, TIOCSCTTY, 0) == 0 ? 'y' : 'n';
      [[maybe_unused]] ssize_t ignored = ::write(ready[1], &ok, 1);
      for (;;) ::pause();
    }
    ::close(ready[1]);
    char ok = 'n';
    acquired_ = ::read(ready[0], &ok, 1) == 1 && ok == 'y';
    ::close(ready[0]);
  }
  ~SessionLeader() { end(); }
  void end() {
    if (pid_ <= 0) return;
    ::kill(pid_, SIGKILL);
    ::waitpid(pid_, nullptr, 0);
    pid_ = 0;
  }
  pid_t pid() const { return pid_; }
  bool acquired() const { return acquired_; }

 private:
  pid_t pid_ = 0;
  bool acquired_ = false;
};

TEST(SessionTerminal, AnotherSessionsControllingTerminalIsNotOpenedAsAPort) {
  FarEnd far(15);
  SessionLeader shell(far.TerminalPath());
  ASSERT_TRUE(shell.acquired());
  termios before;
  const int probe = ::open(far.TerminalPath().c_str(), O_RDWR | O_NOCTTY);
  ASSERT_GE(probe, 0);
  ASSERT_EQ(::tcgetattr(probe, &before), 0);

  SetLastError(0);
  EXPECT_EQ(openPort(15), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_DEVICE_IN_USE));
  EXPECT_EQ(lastReport().dwHolderProcessId, static_cast<DWORD>(shell.pid()));
  // Untouched: still in the mode its session left it, and no lock made.
  termios after;
  ASSERT_EQ(::tcgetattr(probe, &after), 0);
  EXPECT_EQ(after.c_lflag, before.c_lflag);
  EXPECT_FALSE(fs::exists(lockFileOf(far)));

  // Once the session is gone, the terminal is a line like any other.
  shell.end();
  HANDLE port = openPort(15);
  EXPECT_NE(port, INVALID_HANDLE_VALUE);
  CloseHandle(port);
  ::close(probe);
}

// Runs `body` in a child that is the leader of a new session whose
// controlling terminal is `terminal`, and returns what the child wrote to
// its pipe ("" when it did not answer in time, "no terminal" when the
// terminal could not be made its own).
std::string inSessionOf(const std::string& terminal, const std::function<std::string()>& body) {
  int answer[2];
  if (::pipe(answer) != 0) return "";
  const pid_t child = ::fork();
  if (child == 0) {
    ::setsid();
    const int fd = ::open(terminal.c_str(), O_RDWR | O_NOCTTY);
    const std::string text = fd >= 0 && ::ioctl(fd, TIOCSCTTY, 0) == 0 ? body() : "no terminal";
    [[maybe_unused]] ssize_t ignored = ::write(answer[1], text.data(), text.size());
    ::_exit(0);
  }
  ::close(answer[1]);
  std::string text;
  pollfd ready{answer[0], POLLIN, 0};
  char buffer[256];
  ssize_t count;
  while (::poll(&ready, 1, 20000) == 1 && (count = ::read(answer[0], buffer, sizeof buffer)) > 0)
    text.append(buffer, static_cast<size_t>(count));
  ::close(answer[0]);
  ::kill(child, SIGKILL);
  ::waitpid(child, nullptr, 0);
  return text;
}

// /dev/tty is whichever terminal controls the process that opens it: in a
// session on a terminal, a port linked to /dev/tty is that session's own
// terminal, and is refused as such.
TEST(SessionTerminal, DevTtyIsTheOpeningProcesssOwnSessionTerminal) {
  FarEnd far(19);
  const std::string link = portsFolder() + "/COM20";
  fs::create_symlink("/dev/tty", link);
  const std::string answer = inSessionOf(far.TerminalPath(), [] {
    const HANDLE port = openPort(20);
    const DWORD error = GetLastError();
    SERIAL_OPEN_REPORT report{};
    GetLastSerialOpenReport(&report);
    return std::to_string(port == INVALID_HANDLE_VALUE) + " " + std::to_string(error) + " " +
           std::to_string(report.dwHolderProcessId == static_cast<DWORD>(::getpid()));
  });
  fs::remove(link);
  if (answer == "no terminal") GTEST_SKIP() << "cannot make a session on a pseudo-terminal here";
  EXPECT_EQ(answer, "1 " + std::to_string(ERROR_DEVICE_IN_USE) + " 1")
      << "refused, closed, error, holder is the session";
}

// The kernel's names for other terminals, worked out from /proc and /sys
// (here a made-up pair of trees).
TEST(SessionTerminal, KernelNamesForAnotherTerminalStandForIt) {
  const fs::path root = fs::path(lockFolder()) / "kernel-trees";
  const fs::path proc = root / "proc", sys = root / "sys";
  const auto write = [](const fs::path& file, const std::string& text) {
    fs::create_directories(file.parent_path());
    std::ofstream(file) << text;
  };
  // tty_nr 34819: major 136, minor 3 (/dev/pts/3).
  write(proc / "self" / "stat", "77 (a (b) c) S 1 77 77 34819 77 0\n");
  write(sys / "class/tty/console/active", "tty0 ttyS0\n");
  write(sys / "class/tty/tty0/active", "tty3\n");
  write(sys / "class/tty/tty3/dev", "4:3\n");
  write(sys / "class/tty/ttyS0/dev", "4:64\n");
  using platform::terminalsReachedBy;
  EXPECT_EQ(terminalsReachedBy(makedev(5, 0), proc, sys), std::vector<dev_t>{makedev(136, 3)});
  EXPECT_EQ(terminalsReachedBy(makedev(5, 1), proc, sys), (std::vector<dev_t>{makedev(4, 3), makedev(4, 64)}));
  EXPECT_EQ(terminalsReachedBy(makedev(4, 0), proc, sys), std::vector<dev_t>{makedev(4, 3)});
  EXPECT_EQ(terminalsReachedBy(makedev(4, 64), proc, sys), std::vector<dev_t>{makedev(4, 64)});
  // Without a controlling terminal /dev/tty reaches none.
  write(proc / "self" / "stat", "77 (x) S 1 77 77 0 -1 0\n");
  EXPECT_TRUE(terminalsReachedBy(makedev(5, 0), proc, sys).empty());
  fs::remove_all(root);
}

// A link to a link, and a second device node with the same number: each
// is the same session's terminal and is refused.
TEST(SessionTerminal, EveryOtherNameOfASessionsTerminalIsRefusedToo) {
  FarEnd far(21);
  SessionLeader shell(far.TerminalPath());
  ASSERT_TRUE(shell.acquired());
  const fs::path names = fs::path(lockFolder()) / "names";
  fs::create_directories(names);
  fs::create_symlink(far.TerminalPath(), names / "terminal");
  far.Unlink();  // one device, one number: COM22 is its only name in the map
  fs::create_symlink(names / "terminal", portsFolder() + "/COM22");
  struct stat device;
  ASSERT_EQ(::stat(far.TerminalPath().c_str(), &device), 0);
  const bool aliasMade = ::mknod((names / "alias").c_str(), S_IFCHR | 0600, device.st_rdev) == 0;
  if (aliasMade) fs::create_symlink(names / "alias", portsFolder() + "/COM23");
  for (DWORD port : {22u, 23u}) {
    if (port == 23 && !aliasMade) continue;  // making device nodes takes privilege
    SCOPED_TRACE(port);
    EXPECT_EQ(openPort(port), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_DEVICE_IN_USE));
    EXPECT_EQ(lastReport().dwHolderProcessId, static_cast<DWORD>(shell.pid()));
  }
  fs::remove(portsFolder() + "/COM22");
  fs::remove(portsFolder() + "/COM23");
  fs::remove_all(names);
}

TEST(TerminalSettings, ThoseFoundAtOpenArePutBackAtClose) {
  FarEnd far(16);
  const int probe = ::open(far.TerminalPath().c_str(), O_RDWR | O_NOCTTY);
  ASSERT_GE(probe, 0);
  termios cooked;
  ASSERT_EQ(::tcgetattr(probe, &cooked), 0);
  cooked.c_lflag |= ICANON | ECHO | ISIG;
  cooked.c_iflag |= ICRNL | IXON;
  cooked.c_oflag |= OPOST | ONLCR;
  cooked.c_cc[VMIN] = 3;
  ::cfsetspeed(&cooked, B19200);
  ASSERT_EQ(::tcsetattr(probe, TCSANOW, &cooked), 0);
  ASSERT_EQ(::tcgetattr(probe, &cooked), 0);

  HANDLE port = openPort(16);
  ASSERT_NE(port, INVALID_HANDLE_VALUE);
  termios open;
  ASSERT_EQ(::tcgetattr(probe, &open), 0);
  EXPECT_EQ(open.c_lflag & (ICANON | ECHO), 0u);  // raw while the port is open
  CloseHandle(port);

  termios restored;
  ASSERT_EQ(::tcgetattr(probe, &restored), 0);
  EXPECT_EQ(restored.c_iflag, cooked.c_iflag);
  EXPECT_EQ(restored.c_oflag, cooked.c_oflag);
  EXPECT_EQ(restored.c_cflag, cooked.c_cflag);
  EXPECT_EQ(restored.c_lflag, cooked.c_lflag);
  EXPECT_EQ(restored.c_cc[VMIN], 3);
  EXPECT_EQ(::cfgetospeed(&restored), static_cast<speed_t>(B19200));
  ::close(probe);
}

}  // namespace
