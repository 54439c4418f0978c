// The fixture of tests that open ports by number: a private ports folder
// for each test, and COM<n> lines whose far ends the fixture holds. Under
// Wine the lines are the prefix's, and the far ends are reached only
// through the calls both sides have (no descriptors, no line settings).
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <chrono>
#include <optional>
#include <string>

#include "port_lines.h"
#include "queued_input.h"
#include "wait_until.h"

using serial_lines::WaitUntil;

class SerialPortTest : public ::testing::Test {
 protected:
  void SetUp() override { lines_.emplace(); }
  void TearDown() override { lines_.reset(); }

#ifdef _WIN32
  // Makes COM<port> a fresh line (replacing any earlier one).
  void AddFarEnd(DWORD port) { lines_->Plug(port); }
#else
  // Makes COM<port> a fresh line (replacing any earlier one); returns its
  // far end's descriptor (non-blocking), owned by the fixture.
  int AddFarEnd(DWORD port) { return lines_->Plug(port).Master(); }
  int FarEnd(DWORD port) const { return Line(port).Master(); }
  const std::string& Folder() const { return lines_->Folder().Root(); }
  std::string LockFolder() const { return lines_->Folder().Locks(); }
  termios FarEndSettings(DWORD port) const { return Line(port).Settings(); }
  // The terminal side that the far end holds open: a test locks it to play
  // another program that has the device.
  int FarEndTerminal(DWORD port) const { return Line(port).Terminal(); }
  // Where the link for COM<port> goes, for a far end made apart.
  std::string LinkPath(DWORD port) const { return lines_->Folder().Link(port); }
#endif
  // Closes the far end: the port sees a hang-up. Its link stays.
  void HangUpFarEnd(DWORD port) { Line(port).HangUp(); }
  // Removes the link COM<port> (its far end stays).
  void RemoveLink(DWORD port) { Line(port).Unlink(); }

  void SendFromFarEnd(DWORD port, const std::string& bytes) { Line(port).Send(bytes); }
  // Bytes on the line from before the port opens: on return they wait there.
  void LeaveOnTheLine(DWORD port, const std::string& bytes) { Line(port).SendAndLeaveWaiting(bytes); }
  // Reads exactly `count` bytes arriving at the far end, or what came
  // before the time-out.
  std::string ReceiveAtFarEnd(DWORD port, size_t count, std::chrono::milliseconds timeout = std::chrono::seconds(10)) {
    return Line(port).Receive(count, timeout);
  }
  // True when nothing arrives at the far end within `quiet`.
  bool NothingArrivesAtFarEnd(DWORD port, std::chrono::milliseconds quiet = std::chrono::milliseconds(200)) {
    return Line(port).NothingArrives(quiet);
  }
  static DWORD QueuedInput(HANDLE hPort) { return serial_lines::QueuedInput(hPort); }

 private:
  serial_lines::FarEnd& Line(DWORD port) const { return (*lines_)[port]; }

  std::optional<serial_lines::PortLines> lines_;
};
