#include "uucp_lock.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <optional>
#include <thread>

#include "machine_sources.h"

#include "ending_signals.h"
#include "small_file_read.h"

namespace platform {
namespace fs = std::filesystem;
namespace {

// An HDB lock holds eleven bytes; some tools add their name and the user's
// after the id. Nothing longer is read, however large the file.
constexpr size_t kLockReadLimit = 64;

// The folders a lock file may go in, the first writable one taken.
std::mutex lockFoldersLock;
std::vector<std::string> lockFolders = {"/run/lock", "/var/lock"};

// The locks this process holds or is taking, kept where a signal handler
// can reach them without allocating or locking: a fixed table of paths.
// While a lock is taken its slot names the temporary file too, so that a
// signal at any step leaves neither file behind.
constexpr size_t kHeldSlots = 32;
constexpr size_t kPathRoom = 512;
enum SlotState : int {
  kFree,
  kTaking,  // the temporary may exist; the lock is ours only if it is the temporary's link
  kLinked,  // the lock is ours; the temporary may still exist
  kHeld,    // the lock is ours
};
struct HeldLock {
  std::atomic<int> state{kFree};
  char path[kPathRoom];
  char temporary[kPathRoom];
};
std::array<HeldLock, kHeldSlots> heldLocks;
std::mutex heldLocksChange;

// Async-signal-safe.
bool sameFile(const char* one, const char* other) {
  struct stat first, second;
  return ::stat(one, &first) == 0 && ::stat(other, &second) == 0 && first.st_dev == second.st_dev &&
         first.st_ino == second.st_ino;
}

void removeHeldLocksAtExit() { removeHeldUucpLocks(); }

HeldLock* reserveSlot(const std::string& lockPath) {
  std::lock_guard<std::mutex> guard(heldLocksChange);
  for (size_t index = 0; index < heldLocks.size(); ++index) {
    HeldLock& held = heldLocks[index];
    if (held.state.load() != kFree) continue;
    // Named by process and slot, the temporary is known before it exists.
    const int length = std::snprintf(held.temporary, kPathRoom, "%s/LTMP.%d.%zu",
                                     fs::path(lockPath).parent_path().c_str(), static_cast<int>(::getpid()), index);
    if (length < 0 || static_cast<size_t>(length) >= kPathRoom) return nullptr;
    std::memcpy(held.path, lockPath.c_str(), lockPath.size() + 1);
    held.state.store(kTaking, std::memory_order_release);
    return &held;
  }
  return nullptr;
}

bool holdsLock(const std::string& path) {
  std::lock_guard<std::mutex> guard(heldLocksChange);
  for (HeldLock& held : heldLocks)
    if (held.state.load() == kHeld && path == held.path) return true;
  return false;
}

void forgetHeld(const std::string& path) {
  std::lock_guard<std::mutex> guard(heldLocksChange);
  for (HeldLock& held : heldLocks)
    if (held.state.load() == kHeld && path == held.path) held.state.store(kFree, std::memory_order_release);
}

bool processLives(pid_t pid) { return pid > 0 && (::kill(pid, 0) == 0 || errno == EPERM); }

// The new lock, complete, under the slot's temporary name in the lock
// folder, so that linking it to its real name makes it appear whole or not
// at all. A file of that name is a leftover of a process that had our id.
bool writeTemporaryLock(const char* path) {
  const int flags = O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC;
  int fd = ::open(path, flags, 0644);
  if (fd < 0 && errno == EEXIST && ::unlink(path) == 0) fd = ::open(path, flags, 0644);
  if (fd < 0) return false;
  char text[16];
  const int length = std::snprintf(text, sizeof text, "%10d\n", static_cast<int>(::getpid()));
  const bool written = ::write(fd, text, static_cast<size_t>(length)) == length && ::fchmod(fd, 0644) == 0;
  ::close(fd);
  if (!written) ::unlink(path);
  return written;
}

}  // namespace

std::string uucpLockName(const std::string& devicePath) { return "LCK.." + fs::path(devicePath).filename().string(); }

fs::path uucpLockFolder() {
  std::lock_guard<std::mutex> guard(lockFoldersLock);
  for (const std::string& folder : lockFolders)
    if (::access(folder.c_str(), W_OK) == 0) return folder;
  return {};
}

void useUucpLockFolders(std::vector<std::string> folders) {
  std::lock_guard<std::mutex> guard(lockFoldersLock);
  lockFolders = folders.empty() ? std::vector<std::string>{"/run/lock", "/var/lock"} : std::move(folders);
}

UucpLockHolder readUucpLockHolder(const fs::path& lockFile) {
  UucpLockHolder holder;
  const SmallFileRead lock = readSmallFile(lockFile, kLockReadLimit);
  if (lock.result == SmallFileRead::Result::NotAFile) holder.notALock = lock.kind;
  if (lock.result != SmallFileRead::Result::Read) return holder;
  const std::string& text = lock.text;
  // Old tools wrote the id as a binary integer of four bytes.
  if (text.size() == sizeof(int) && (text[0] < ' ' || text[3] < ' ')) {
    int binary;
    std::memcpy(&binary, text.data(), sizeof binary);
    holder.pid = binary > 0 ? binary : 0;
    return holder;
  }
  const long value = std::strtol(text.c_str(), nullptr, 10);
  holder.pid = value > 0 && value < (1L << 30) ? static_cast<pid_t>(value) : 0;
  return holder;
}

void removeHeldUucpLocks() {
  for (HeldLock& held : heldLocks) {
    switch (held.state.load(std::memory_order_acquire)) {
      case kTaking:
        if (sameFile(held.temporary, held.path)) ::unlink(held.path);
        ::unlink(held.temporary);
        break;
      case kLinked:
        ::unlink(held.path);
        ::unlink(held.temporary);
        break;
      case kHeld:
        ::unlink(held.path);
        break;
      default:
        break;
    }
  }
}

UucpLockAttempt takeUucpLock(const std::string& devicePath) {
  UucpLockAttempt attempt;
  const fs::path folder = uucpLockFolder();
  if (folder.empty()) {
    attempt.remark = "no writable lock folder (/run/lock, /var/lock): " + devicePath + " opened without a lock file";
    return attempt;
  }
  const std::string lockPath = (folder / uucpLockName(devicePath)).string();
  static std::once_flag atExit;
  std::call_once(atExit, [] { std::atexit(removeHeldLocksAtExit); });
  handleEndingSignals();
  HeldLock* slot = lockPath.size() < kPathRoom ? reserveSlot(lockPath) : nullptr;
  if (slot == nullptr || !writeTemporaryLock(slot->temporary)) {
    if (slot != nullptr) slot->state.store(kFree, std::memory_order_release);
    attempt.remark = "cannot write in " + folder.string() + ": " + devicePath + " opened without a lock file";
    return attempt;
  }
  for (int round = 0; round < 8; ++round) {
    if (::link(slot->temporary, lockPath.c_str()) == 0) {
      slot->state.store(kLinked, std::memory_order_release);
      ::unlink(slot->temporary);
      slot->state.store(kHeld, std::memory_order_release);
      attempt.lockPath = lockPath;
      return attempt;
    }
    if (errno != EEXIST) break;
    const UucpLockHolder found = readUucpLockHolder(lockPath);
    if (!found.notALock.empty()) {
      // Not a lock any tool makes, and nothing to be followed or waited on:
      // the port is left alone as if an unknown program held it.
      attempt.held = true;
      attempt.remark = lockPath + " is " + found.notALock + ", not a lock file: " + devicePath +
                       " is taken to be in use by an unknown program";
      break;
    }
    const pid_t holder = found.pid;
    const bool ours = holder == ::getpid();
    if ((ours && holdsLock(lockPath)) || (!ours && processLives(holder))) {
      attempt.held = true;
      attempt.holder = holder;
      break;
    }
    // A lock being written by another tool names no process for a moment.
    if (holder == 0 && round < 3) {
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
      continue;
    }
    ::unlink(lockPath.c_str());  // stale: its process is gone
  }
  ::unlink(slot->temporary);
  slot->state.store(kFree, std::memory_order_release);
  if (!attempt.held) attempt.remark = "cannot make " + lockPath + ": " + devicePath + " opened without a lock file";
  return attempt;
}

void releaseUucpLock(const std::string& lockPath) {
  if (lockPath.empty()) return;
  forgetHeld(lockPath);
  if (readUucpLockHolder(lockPath).pid == ::getpid()) ::unlink(lockPath.c_str());
}

}  // namespace platform
