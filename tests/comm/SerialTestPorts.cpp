#include "SerialTestPorts.h"

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <thread>

#include <kestrix/platform_testing.h>

bool WaitUntil(const std::function<bool()>& condition, std::chrono::milliseconds timeout) {
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  while (!condition()) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  return true;
}

void SerialPortTest::SetUp() {
  char pattern[] = "/tmp/kestrix-comm-test-XXXXXX";
  ASSERT_NE(mkdtemp(pattern), nullptr);
  folder_ = pattern;
  std::filesystem::create_directories(folder_ + "/kestrix/ports");
  if (const char* home = std::getenv("XDG_CONFIG_HOME")) {
    hadConfigHome_ = true;
    savedConfigHome_ = home;
  }
  setenv("XDG_CONFIG_HOME", folder_.c_str(), 1);
  ExcludeSystemSerialDevicesForTesting(true);
  // Lock files of the test's ports go here, never to /run/lock.
  std::filesystem::create_directories(folder_ + "/lock");
  SetUucpLockFolderForTesting((folder_ + "/lock").c_str());
}

void SerialPortTest::TearDown() {
  for (auto& [port, fd] : farEnds_) close(fd);
  for (auto& [port, fd] : slaves_) close(fd);
  farEnds_.clear();
  slaves_.clear();
  if (hadConfigHome_)
    setenv("XDG_CONFIG_HOME", savedConfigHome_.c_str(), 1);
  else
    unsetenv("XDG_CONFIG_HOME");
  std::error_code ignored;
  std::filesystem::remove_all(folder_, ignored);
}

int SerialPortTest::AddFarEnd(DWORD port) {
  int master = -1;
  int slave = -1;
  char slaveName[256] = {};
  EXPECT_EQ(openpty(&master, &slave, slaveName, nullptr, nullptr), 0);
  fcntl(master, F_SETFL, fcntl(master, F_GETFL) | O_NONBLOCK);
  // The test keeps the slave open too, so that the far end never sees a
  // hang-up between the port's opens.
  slaves_[port] = slave;
  farEnds_[port] = master;
  const std::string link = folder_ + "/kestrix/ports/COM" + std::to_string(port);
  EXPECT_EQ(symlink(slaveName, link.c_str()), 0);
  return master;
}

void SerialPortTest::HangUpFarEnd(DWORD port) {
  close(farEnds_.at(port));
  farEnds_.erase(port);
  close(slaves_.at(port));
  slaves_.erase(port);
}

void SerialPortTest::RemoveLink(DWORD port) {
  const std::string link = folder_ + "/kestrix/ports/COM" + std::to_string(port);
  EXPECT_EQ(unlink(link.c_str()), 0);
}

void SerialPortTest::SendFromFarEnd(DWORD port, const std::string& bytes) {
  const int fd = farEnds_.at(port);
  size_t done = 0;
  const bool sent = WaitUntil([&] {
    const ssize_t written = write(fd, bytes.data() + done, bytes.size() - done);
    if (written > 0) done += static_cast<size_t>(written);
    return done == bytes.size();
  });
  ASSERT_TRUE(sent) << "the far end could send only " << done << " of " << bytes.size() << " bytes";
}

std::string SerialPortTest::ReceiveAtFarEnd(DWORD port, size_t count, std::chrono::milliseconds timeout) {
  const int fd = farEnds_.at(port);
  std::string received;
  WaitUntil(
      [&] {
        char chunk[4096];
        const ssize_t got = read(fd, chunk, std::min(sizeof chunk, count - received.size()));
        if (got > 0) received.append(chunk, static_cast<size_t>(got));
        return received.size() >= count;
      },
      timeout);
  return received;
}

bool SerialPortTest::NothingArrivesAtFarEnd(DWORD port, std::chrono::milliseconds quiet) {
  pollfd watched = {farEnds_.at(port), POLLIN, 0};
  return poll(&watched, 1, static_cast<int>(quiet.count())) == 0;
}

termios SerialPortTest::FarEndSettings(DWORD port) const {
  termios settings = {};
  EXPECT_EQ(tcgetattr(farEnds_.at(port), &settings), 0);
  return settings;
}

DWORD SerialPortTest::QueuedInput(HANDLE hPort) {
  DWORD errors = 0;
  COMSTAT status = {};
  if (!ClearCommError(hPort, &errors, &status)) return 0;
  return status.cbInQue;
}
