#include "serial_test_support.h"

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <thread>

#include <kestrix/platform_testing.h>

namespace serial_test {
namespace fs = std::filesystem;

namespace {

// The temporary configuration folder, removed when the test program ends.
struct ConfigFolder {
  ConfigFolder() {
    char pattern[] = "/tmp/kestrix-serial-test-XXXXXX";
    const char* made = ::mkdtemp(pattern);
    EXPECT_NE(made, nullptr);
    base = made ? made : "/nonexistent";
    ::setenv("XDG_CONFIG_HOME", base.c_str(), 1);
    ExcludeSystemSerialDevicesForTesting(true);
    ports = (base / "kestrix" / "ports").string();
    fs::create_directories(ports);
    // Lock files of the test's ports go here, never to /run/lock.
    locks = (base / "lock").string();
    fs::create_directories(locks);
    SetUucpLockFolderForTesting(locks.c_str());
  }
  ~ConfigFolder() {
    std::error_code ignored;
    fs::remove_all(base, ignored);
  }
  fs::path base;
  std::string ports;
  std::string locks;
};

const ConfigFolder& configFolder() {
  static const ConfigFolder folder;
  return folder;
}

}  // namespace

std::string portsFolder() { return configFolder().ports; }

std::string lockFolder() { return configFolder().locks; }

FarEnd::FarEnd(DWORD portNumber) {
  char name[256];
  if (::openpty(&master_, &terminal_, name, nullptr, nullptr) != 0) {
    ADD_FAILURE() << "openpty failed";
    return;
  }
  ::fcntl(master_, F_SETFL, ::fcntl(master_, F_GETFL) | O_NONBLOCK);
  terminalPath_ = name;
  linkPath_ = portsFolder() + "/COM" + std::to_string(portNumber);
  fs::remove(linkPath_);
  fs::create_symlink(terminalPath_, linkPath_);
}

FarEnd::~FarEnd() {
  std::error_code ignored;
  fs::remove(linkPath_, ignored);
  if (master_ >= 0) ::close(master_);
  if (terminal_ >= 0) ::close(terminal_);
}

void FarEnd::send(const std::string& bytes) {
  size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t count = ::write(master_, bytes.data() + done, bytes.size() - done);
    if (count > 0) {
      done += static_cast<size_t>(count);
    } else {
      pollfd writable{master_, POLLOUT, 0};
      ASSERT_GT(::poll(&writable, 1, 10000), 0) << "far end cannot send";
    }
  }
}

std::string FarEnd::receive(size_t count, std::chrono::milliseconds timeout) {
  std::string bytes;
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  char chunk[65536];
  while (bytes.size() < count) {
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0) break;
    pollfd readable{master_, POLLIN, 0};
    if (::poll(&readable, 1, static_cast<int>(left.count())) <= 0) break;
    const ssize_t got = ::read(master_, chunk, std::min(sizeof chunk, count - bytes.size()));
    if (got <= 0) break;
    bytes.append(chunk, static_cast<size_t>(got));
  }
  return bytes;
}

std::string FarEnd::receiveFor(std::chrono::milliseconds time) {
  std::string bytes;
  const auto deadline = std::chrono::steady_clock::now() + time;
  char chunk[65536];
  for (;;) {
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0) break;
    pollfd readable{master_, POLLIN, 0};
    if (::poll(&readable, 1, static_cast<int>(left.count())) <= 0) break;
    const ssize_t got = ::read(master_, chunk, sizeof chunk);
    if (got <= 0) break;
    bytes.append(chunk, static_cast<size_t>(got));
  }
  return bytes;
}

void FarEnd::hangUp() {
  ::close(master_);
  master_ = -1;
}

HANDLE openPort(DWORD number) {
  const std::string name = "\\\\.\\COM" + std::to_string(number);
  return CreateFileA(name.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                     FILE_FLAG_OVERLAPPED | FILE_ATTRIBUTE_NORMAL, nullptr);
}

bool eventually(const std::function<bool()>& condition, std::chrono::milliseconds timeout) {
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  while (!condition()) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  return true;
}

EventWait::EventWait() { record.hEvent = CreateEventA(nullptr, TRUE, FALSE, nullptr); }

EventWait::~EventWait() { CloseHandle(record.hEvent); }

BOOL EventWait::start(HANDLE port) {
  value = 0xDEAD;
  ResetEvent(record.hEvent);
  const BOOL result = WaitCommEvent(port, &value, &record);
  lastError = result ? 0 : GetLastError();
  return result;
}

bool EventWait::finished(std::chrono::milliseconds timeout) {
  return WaitForSingleObject(record.hEvent, static_cast<DWORD>(timeout.count())) == WAIT_OBJECT_0;
}

DWORD queuedInput(HANDLE port) {
  DWORD errors = 0;
  COMSTAT status{};
  if (!ClearCommError(port, &errors, &status)) return 0;
  return status.cbInQue;
}

std::string readQueued(HANDLE port) {
  const DWORD queued = queuedInput(port);
  std::string bytes(queued, '\0');
  OVERLAPPED record{};
  DWORD read = 0;
  EXPECT_TRUE(ReadFile(port, bytes.data(), queued, &read, &record));
  bytes.resize(read);
  return bytes;
}

}  // namespace serial_test
