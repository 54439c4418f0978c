#include "port_calls.h"

#include <gtest/gtest.h>

#include "queued_input.h"

namespace serial_test {

HANDLE openPort(DWORD number) {
  const std::string name = "\\\\.\\COM" + std::to_string(number);
  return CreateFileA(name.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                     FILE_FLAG_OVERLAPPED | FILE_ATTRIBUTE_NORMAL, nullptr);
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

std::string readQueued(HANDLE port) {
  const DWORD queued = serial_lines::QueuedInput(port);
  std::string bytes(queued, '\0');
  OVERLAPPED record{};
  DWORD read = 0;
  EXPECT_TRUE(ReadFile(port, bytes.data(), queued, &read, &record));
  bytes.resize(read);
  return bytes;
}

}  // namespace serial_test
