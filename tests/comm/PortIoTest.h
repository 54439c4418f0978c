// Writing to and reading from a port whose far end the test plays.
#pragma once

#include <algorithm>
#include <string>

#include "RecordingPort.h"
#include "serial_port_test.h"

class PortIoTest : public SerialPortTest {
 protected:
  // A port without a watch thread, so that only the test reads from it.
  void OpenUnwatched(RecordingPort& port, DWORD number) {
    AddFarEnd(number);
    port._bStartWatcher = false;
    ASSERT_TRUE(port.Open(number, "9600,N,8,1"));
  }

  // Reads until `count` bytes have come, or the time-out.
  static std::string ReadPort(cxComm& port, size_t count) {
    std::string received;
    WaitUntil([&] {
      char chunk[64];
      const DWORD got = port.Read(chunk, static_cast<DWORD>(std::min(sizeof chunk, count - received.size())));
      received.append(chunk, got);
      return received.size() >= count;
    });
    return received;
  }
};
