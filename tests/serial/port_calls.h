// The Win32 calls on a port as the program makes them, for the serial tests.
#pragma once

#include <windows.h>

#include <chrono>
#include <string>

namespace serial_test {

// CreateFileA on \\.\COMn as the program opens ports.
HANDLE openPort(DWORD number);

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

// Reads what the input queue holds.
std::string readQueued(HANDLE port);

}  // namespace serial_test
