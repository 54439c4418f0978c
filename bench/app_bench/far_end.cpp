#include "far_end.h"

#include <fcntl.h>
#include <pty.h>
#include <unistd.h>

#include <kestrix/platform_testing.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <stdexcept>

PortsFolder::PortsFolder() {
  char pattern[] = "/tmp/kestrix-app-bench-XXXXXX";
  if (mkdtemp(pattern) == nullptr) throw std::runtime_error("cannot make a temporary folder");
  root_ = pattern;
  std::filesystem::create_directories(PortsPath());
  std::filesystem::create_directories(root_ + "/locks");
  setenv("XDG_CONFIG_HOME", root_.c_str(), 1);
  // The machine's /run/lock is left alone.
  SetUucpLockFolderForTesting((root_ + "/locks").c_str());
}

PortsFolder::~PortsFolder() {
  std::error_code ignored;
  std::filesystem::remove_all(root_, ignored);
}

FarEnd::FarEnd() {
  char slaveName[256] = {};
  if (openpty(&master_, &slave_, slaveName, nullptr, nullptr) != 0) throw std::runtime_error("openpty failed");
  fcntl(master_, F_SETFL, fcntl(master_, F_GETFL) | O_NONBLOCK);
  slavePath_ = slaveName;
}

FarEnd::FarEnd(const PortsFolder& folder, int port) : FarEnd() {
  const std::string link = folder.PortsPath() + "/COM" + std::to_string(port);
  if (symlink(slavePath_.c_str(), link.c_str()) != 0) throw std::runtime_error("cannot link " + link);
}

FarEnd::~FarEnd() {
  close(master_);
  close(slave_);
}

size_t FarEnd::Write(size_t count) {
  char chunk[4096];
  size_t taken = 0;
  while (taken < count) {
    const uint64_t start = written_;
    const size_t size = std::min(sizeof chunk, count - taken);
    for (size_t i = 0; i < size; ++i) chunk[i] = PatternByte(start + i);
    const Clock::time_point now = Clock::now();
    const ssize_t written = write(master_, chunk, size);
    if (written <= 0) break;  // the terminal is full: the window is not reading
    {
      std::lock_guard<std::mutex> lock(logMutex_);
      log_.push_back({start, now});
    }
    written_ = start + static_cast<uint64_t>(written);
    taken += static_cast<size_t>(written);
    if (static_cast<size_t>(written) < size) break;
  }
  return taken;
}

std::vector<WriteRecord> FarEnd::Writes(uint64_t from, uint64_t to) const {
  std::lock_guard<std::mutex> lock(logMutex_);
  std::vector<WriteRecord> found;
  for (const WriteRecord& record : log_)
    if (record.position >= from && record.position < to) found.push_back(record);
  return found;
}

size_t FarEnd::Read() {
  char chunk[4096];
  size_t taken = 0;
  for (;;) {
    const ssize_t count = read(master_, chunk, sizeof chunk);
    if (count <= 0) break;  // nothing more has arrived
    uint64_t position = received_;
    for (ssize_t i = 0; i < count; ++i, ++position)
      if (chunk[i] != SentPatternByte(position)) ++receivedWrong_;
    received_ = position;
    taken += static_cast<size_t>(count);
  }
  return taken;
}
