// What the network port tests share: a private ports folder, a COM name
// defined for a server's address as the program defines one, and reading
// and setting a port as the program does.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <chrono>
#include <string>

#include "far_end.h"
#include "network_servers.h"
#include "port_calls.h"
#include "ports_folder.h"
#include "wait_until.h"

#include <kestrix/platform_testing.h>

namespace network_test {

using namespace std::chrono_literals;
using serial_lines::WaitUntil;
using serial_test::openPort;

inline const serial_lines::PortsFolder& portsFolder() {
  static const serial_lines::PortsFolder folder;
  return folder;
}

// COM<number> stands for address while this lives (DefineDosDeviceA).
class DefinedPort {
 public:
  DefinedPort(DWORD number, const std::string& address) : name_("COM" + std::to_string(number)) {
    portsFolder();
    DefineDosDeviceA(DDD_REMOVE_DEFINITION, name_.c_str(), nullptr);
    defined_ = DefineDosDeviceA(0, name_.c_str(), address.c_str()) == TRUE;
  }
  ~DefinedPort() { DefineDosDeviceA(DDD_REMOVE_DEFINITION, name_.c_str(), nullptr); }
  bool Defined() const { return defined_; }

 private:
  std::string name_;
  bool defined_ = false;
};

// Sets rate and framing as the program's settings text does.
inline BOOL setLine(HANDLE port, DWORD baud, BYTE bits, BYTE parity, BYTE stop, bool rtscts = false) {
  DCB dcb{};
  dcb.DCBlength = sizeof dcb;
  if (!GetCommState(port, &dcb)) return FALSE;
  dcb.BaudRate = baud;
  dcb.ByteSize = bits;
  dcb.Parity = parity;
  dcb.StopBits = stop;
  dcb.fOutxCtsFlow = rtscts;
  dcb.fRtsControl = rtscts ? RTS_CONTROL_HANDSHAKE : RTS_CONTROL_ENABLE;
  return SetCommState(port, &dcb);
}

// Reads from the port until count bytes came or the time is up.
inline std::string receive(HANDLE port, size_t count, std::chrono::milliseconds timeout = 10s) {
  std::string got;
  WaitUntil(
      [&] {
        got += serial_test::readQueued(port);
        return got.size() >= count;
      },
      timeout);
  return got;
}

inline void send(HANDLE port, const std::string& bytes) {
  OVERLAPPED record{};
  DWORD written = 0;
  ASSERT_TRUE(WriteFile(port, bytes.data(), static_cast<DWORD>(bytes.size()), &written, &record));
}

// Every byte value, a few times over.
inline std::string everyByte(int times = 4) {
  std::string bytes;
  for (int round = 0; round < times; ++round)
    for (int value = 0; value < 256; ++value) bytes.push_back(static_cast<char>(value));
  return bytes;
}

// Waits for the port to hang up, as a watcher does: its event waits fail
// with ERROR_DEVICE_REMOVED.
inline bool lost(HANDLE port, std::chrono::milliseconds timeout = 10s) {
  serial_test::EventWait wait;
  bool pending = false;
  const bool gone = WaitUntil(
      [&] {
        serial_test::readQueued(port);
        if (!pending) {
          if (wait.start(port)) return false;
          if (wait.lastError == ERROR_DEVICE_REMOVED) return true;
          if (wait.lastError != ERROR_IO_PENDING) return false;
          pending = true;
        }
        if (!wait.finished(50ms)) return false;
        pending = false;
        DWORD count = 0;
        return !GetOverlappedResult(port, &wait.record, &count, FALSE) && GetLastError() == ERROR_DEVICE_REMOVED;
      },
      timeout);
  if (pending) {
    SetCommMask(port, 0);  // ends the wait before its record goes
    wait.finished();
  }
  return gone;
}

inline COMMPROP properties(HANDLE port) {
  COMMPROP result{};
  GetCommProperties(port, &result);
  return result;
}

}  // namespace network_test

#define SKIP_WITHOUT(server) \
  if (!(server).Unavailable().empty()) GTEST_SKIP() << (server).Unavailable()
