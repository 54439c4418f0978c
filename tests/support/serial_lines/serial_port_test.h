// The fixture of tests that open ports by number: a private ports folder
// for each test, and COM<n> lines whose far ends the fixture holds.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <chrono>
#include <map>
#include <memory>
#include <optional>
#include <string>

#include "far_end.h"
#include "ports_folder.h"
#include "queued_input.h"
#include "wait_until.h"

using serial_lines::WaitUntil;

class SerialPortTest : public ::testing::Test {
 protected:
  void SetUp() override { folder_.emplace(); }
  void TearDown() override {
    farEnds_.clear();
    folder_.reset();
  }

  // Makes COM<port> a fresh line (replacing any earlier one); returns its
  // far end's descriptor (non-blocking), owned by the fixture.
  int AddFarEnd(DWORD port) {
    farEnds_.erase(port);
    return farEnds_.emplace(port, std::make_unique<serial_lines::FarEnd>(*folder_, port)).first->second->Master();
  }
  int FarEnd(DWORD port) const { return Line(port).Master(); }
  // Closes the far end: the port sees a hang-up. Its link stays.
  void HangUpFarEnd(DWORD port) { Line(port).HangUp(); }
  // Removes the link COM<port> from the ports folder (its far end stays).
  void RemoveLink(DWORD port) { Line(port).Unlink(); }
  const std::string& Folder() const { return folder_->Root(); }
  std::string LockFolder() const { return folder_->Locks(); }

  void SendFromFarEnd(DWORD port, const std::string& bytes) { Line(port).Send(bytes); }
  // Reads exactly `count` bytes arriving at the far end, or what came
  // before the time-out.
  std::string ReceiveAtFarEnd(DWORD port, size_t count, std::chrono::milliseconds timeout = std::chrono::seconds(10)) {
    return Line(port).Receive(count, timeout);
  }
  // True when nothing arrives at the far end within `quiet`.
  bool NothingArrivesAtFarEnd(DWORD port, std::chrono::milliseconds quiet = std::chrono::milliseconds(200)) {
    return Line(port).NothingArrives(quiet);
  }
  termios FarEndSettings(DWORD port) const { return Line(port).Settings(); }
  static DWORD QueuedInput(HANDLE hPort) { return serial_lines::QueuedInput(hPort); }

 private:
  serial_lines::FarEnd& Line(DWORD port) const { return *farEnds_.at(port); }

  std::optional<serial_lines::PortsFolder> folder_;
  std::map<DWORD, std::unique_ptr<serial_lines::FarEnd>> farEnds_;
};
