// Pseudo-terminal pairs as the far ends of ports, and helpers for the serial
// tests. No test here touches the machine's own serial devices.
#pragma once

#include <windows.h>

#include <chrono>
#include <functional>
#include <string>

namespace serial_test {

// The test's ports folder under a temporary XDG_CONFIG_HOME, made on first
// use; the machine's serial devices are left out of the map.
std::string portsFolder();

// The folder that takes the ports' lock files instead of /run/lock.
std::string lockFolder();

// A pseudo-terminal pair whose terminal side is linked into the ports folder
// as COMn; the test holds the master side as the far end of the line.
class FarEnd {
 public:
  explicit FarEnd(DWORD portNumber);
  ~FarEnd();
  FarEnd(const FarEnd&) = delete;
  FarEnd& operator=(const FarEnd&) = delete;

  const std::string& terminalPath() const { return terminalPath_; }
  int masterFd() const { return master_; }

  void send(const std::string& bytes);
  // Reads until `count` bytes came or the time-out passed.
  std::string receive(size_t count, std::chrono::milliseconds timeout = std::chrono::seconds(10));
  // Whatever arrives within the time.
  std::string receiveFor(std::chrono::milliseconds time);
  // Closes the master side: the terminal side hangs up.
  void hangUp();

 private:
  std::string linkPath_;
  std::string terminalPath_;
  int master_ = -1;
  int terminal_ = -1;
};

// CreateFileA on \\.\COMn as the program opens ports.
HANDLE openPort(DWORD number);

// Waits up to `timeout` for `condition`; true when it held.
bool eventually(const std::function<bool()>& condition, std::chrono::milliseconds timeout = std::chrono::seconds(10));

// A WaitCommEvent with its own record, as a watcher thread makes it.
class EventWait {
 public:
  EventWait();
  ~EventWait();
  EventWait(const EventWait&) = delete;
  EventWait& operator=(const EventWait&) = delete;

  // WaitCommEvent; returns its result and keeps GetLastError() in lastError.
  BOOL start(HANDLE port);
  // Waits for the record's event; true when it completed in time.
  bool finished(std::chrono::milliseconds timeout = std::chrono::seconds(10));
  DWORD value = 0xDEAD;
  DWORD lastError = 0;
  OVERLAPPED record{};
};

// Bytes queued in the port's input queue (ClearCommError's cbInQue).
DWORD queuedInput(HANDLE port);

// Reads what the input queue holds.
std::string readQueued(HANDLE port);

}  // namespace serial_test
