#include "uucp_lock.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <mutex>
#include <optional>
#include <sstream>
#include <thread>

#include <kestrix/platform_testing.h>

namespace platform {
namespace fs = std::filesystem;
namespace {

std::mutex testFolderLock;
std::optional<fs::path> testFolder;

// The locks this process holds, kept where a signal handler can reach them
// without allocating or locking: a fixed table of paths.
constexpr size_t kHeldSlots = 32;
constexpr size_t kPathRoom = 512;
struct HeldLock {
  std::atomic<bool> used{false};
  char path[kPathRoom];
};
std::array<HeldLock, kHeldSlots> heldLocks;
std::mutex heldLocksChange;

void removeHeldLocks() {
  for (HeldLock& held : heldLocks)
    if (held.used.load(std::memory_order_acquire)) ::unlink(held.path);
}

constexpr int kEndingSignals[] = {SIGTERM, SIGINT, SIGHUP, SIGQUIT};

void onEndingSignal(int signal) {
  removeHeldLocks();
  std::signal(signal, SIG_DFL);
  std::raise(signal);
}

// Once, at the first lock: remove held locks at exit and on the signals that
// end a program by default. Handlers that others set are left alone.
void removeHeldLocksAtEnd() {
  static std::once_flag once;
  std::call_once(once, [] {
    std::atexit(removeHeldLocks);
    for (int signal : kEndingSignals) {
      struct sigaction current {};
      if (::sigaction(signal, nullptr, &current) != 0 || current.sa_handler != SIG_DFL) continue;
      struct sigaction handler {};
      handler.sa_handler = onEndingSignal;
      sigemptyset(&handler.sa_mask);
      ::sigaction(signal, &handler, nullptr);
    }
  });
}

bool holdsLock(const std::string& path) {
  std::lock_guard<std::mutex> guard(heldLocksChange);
  for (HeldLock& held : heldLocks)
    if (held.used.load() && path == held.path) return true;
  return false;
}

bool rememberHeld(const std::string& path) {
  if (path.size() >= kPathRoom) return false;
  std::lock_guard<std::mutex> guard(heldLocksChange);
  for (HeldLock& held : heldLocks) {
    if (held.used.load()) continue;
    std::memcpy(held.path, path.c_str(), path.size() + 1);
    held.used.store(true, std::memory_order_release);
    return true;
  }
  return false;
}

void forgetHeld(const std::string& path) {
  std::lock_guard<std::mutex> guard(heldLocksChange);
  for (HeldLock& held : heldLocks)
    if (held.used.load() && path == held.path) held.used.store(false, std::memory_order_release);
}

bool processLives(pid_t pid) { return pid > 0 && (::kill(pid, 0) == 0 || errno == EPERM); }

// The new lock, complete, under a temporary name in the lock folder, so that
// linking it to its real name makes it appear whole or not at all.
std::string writeTemporaryLock(const fs::path& folder) {
  std::string path = (folder / "LTMP.XXXXXX").string();
  const int fd = ::mkstemp(path.data());
  if (fd < 0) return {};
  char text[16];
  const int length = std::snprintf(text, sizeof text, "%10d\n", static_cast<int>(::getpid()));
  const bool written = ::write(fd, text, static_cast<size_t>(length)) == length && ::fchmod(fd, 0644) == 0;
  ::close(fd);
  if (!written) {
    ::unlink(path.c_str());
    return {};
  }
  return path;
}

}  // namespace

std::string uucpLockName(const std::string& devicePath) { return "LCK.." + fs::path(devicePath).filename().string(); }

fs::path uucpLockFolder() {
  {
    std::lock_guard<std::mutex> guard(testFolderLock);
    if (testFolder) return ::access(testFolder->c_str(), W_OK) == 0 ? *testFolder : fs::path();
  }
  for (const char* folder : {"/run/lock", "/var/lock"})
    if (::access(folder, W_OK) == 0) return folder;
  return {};
}

pid_t readUucpLockHolder(const fs::path& lockFile) {
  std::ifstream in(lockFile, std::ios::binary);
  std::ostringstream content;
  content << in.rdbuf();
  const std::string text = content.str();
  // Old tools wrote the id as a binary integer of four bytes.
  if (text.size() == sizeof(int) && (text[0] < ' ' || text[3] < ' ')) {
    int binary;
    std::memcpy(&binary, text.data(), sizeof binary);
    return binary > 0 ? binary : 0;
  }
  const long value = std::strtol(text.c_str(), nullptr, 10);
  return value > 0 && value < (1L << 30) ? static_cast<pid_t>(value) : 0;
}

UucpLockAttempt takeUucpLock(const std::string& devicePath) {
  UucpLockAttempt attempt;
  const fs::path folder = uucpLockFolder();
  if (folder.empty()) {
    attempt.remark = "no writable lock folder (/run/lock, /var/lock): " + devicePath + " opened without a lock file";
    return attempt;
  }
  const std::string lockPath = (folder / uucpLockName(devicePath)).string();
  const std::string temporary = writeTemporaryLock(folder);
  if (temporary.empty()) {
    attempt.remark = "cannot write in " + folder.string() + ": " + devicePath + " opened without a lock file";
    return attempt;
  }
  removeHeldLocksAtEnd();
  for (int round = 0; round < 8; ++round) {
    if (::link(temporary.c_str(), lockPath.c_str()) == 0) {
      ::unlink(temporary.c_str());
      rememberHeld(lockPath);
      attempt.lockPath = lockPath;
      return attempt;
    }
    if (errno != EEXIST) break;
    const pid_t holder = readUucpLockHolder(lockPath);
    const bool ours = holder == ::getpid();
    if ((ours && holdsLock(lockPath)) || (!ours && processLives(holder))) {
      ::unlink(temporary.c_str());
      attempt.held = true;
      attempt.holder = holder;
      return attempt;
    }
    // A lock being written by another tool names no process for a moment.
    if (holder == 0 && round < 3) {
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
      continue;
    }
    ::unlink(lockPath.c_str());  // stale: its process is gone
  }
  ::unlink(temporary.c_str());
  attempt.remark = "cannot make " + lockPath + ": " + devicePath + " opened without a lock file";
  return attempt;
}

void releaseUucpLock(const std::string& lockPath) {
  if (lockPath.empty()) return;
  forgetHeld(lockPath);
  if (readUucpLockHolder(lockPath) == ::getpid()) ::unlink(lockPath.c_str());
}

}  // namespace platform

void SetUucpLockFolderForTesting(const char* folder) {
  std::lock_guard<std::mutex> guard(platform::testFolderLock);
  if (folder)
    platform::testFolder = folder;
  else
    platform::testFolder.reset();
}
