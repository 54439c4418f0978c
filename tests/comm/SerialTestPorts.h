// Serial ports for tests: each COMn is a pseudo-terminal whose slave is
// linked into a temporary ports folder, with the master held by the test as
// the far end of the line. The machine's own serial devices stay hidden.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>
#include <termios.h>

#include <chrono>
#include <functional>
#include <map>
#include <string>

// Waits until condition() holds, checking every few milliseconds; false
// when it still does not after the (generous) time-out.
bool WaitUntil(const std::function<bool()>& condition, std::chrono::milliseconds timeout = std::chrono::seconds(10));

class SerialPortTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Makes COM<port> a fresh pseudo-terminal; returns the far end's
  // descriptor (non-blocking), owned by the fixture.
  int AddFarEnd(DWORD port);
  int FarEnd(DWORD port) const { return farEnds_.at(port); }
  // Closes the far end: the port sees a hang-up.
  void HangUpFarEnd(DWORD port);
  // Removes the link COM<port> from the ports folder (its far end stays).
  void RemoveLink(DWORD port);
  const std::string& Folder() const { return folder_; }

  void SendFromFarEnd(DWORD port, const std::string& bytes);
  // Reads exactly `count` bytes arriving at the far end, or what came
  // before the time-out.
  std::string ReceiveAtFarEnd(DWORD port, size_t count, std::chrono::milliseconds timeout = std::chrono::seconds(10));
  // True when nothing arrives at the far end within `quiet`.
  bool NothingArrivesAtFarEnd(DWORD port, std::chrono::milliseconds quiet = std::chrono::milliseconds(200));
  // The line settings as the terminal holds them.
  termios FarEndSettings(DWORD port) const;
  // The folder that takes the ports' lock files instead of /run/lock.
  std::string LockFolder() const { return folder_ + "/lock"; }
  // Bytes waiting in an open port's input queue.
  static DWORD QueuedInput(HANDLE hPort);

 private:
  std::string folder_;
  std::string savedConfigHome_;
  bool hadConfigHome_ = false;
  std::map<DWORD, int> farEnds_;
  std::map<DWORD, int> slaves_;
};
