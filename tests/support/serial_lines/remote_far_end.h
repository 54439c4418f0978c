// The far end of a serial line for a test program running under Wine: the
// pseudo-terminal pair is held by a Linux helper process (far_end_helper),
// which links its terminal side as COM<n> of the Wine prefix; this side
// asks the helper, over a loopback connection, to send, receive and hang
// up. One helper serves the whole test program. Failures throw
// std::runtime_error, as the far end on Linux does.
#pragma once

#include <windows.h>

#include <chrono>
#include <cstddef>
#include <string>

namespace serial_lines {

class FarEnd {
 public:
  // A line the program finds as COM<port>.
  explicit FarEnd(DWORD port);
  // Removes its link and closes both sides.
  ~FarEnd();
  FarEnd(const FarEnd&) = delete;
  FarEnd& operator=(const FarEnd&) = delete;

  // Sends all of `bytes`, waiting while the line is full.
  void Send(const std::string& bytes);
  // Sends `bytes` and gives them a moment to reach the terminal side, as
  // bytes that came before a port opened (the helper cannot count them).
  void SendAndLeaveWaiting(const std::string& bytes);
  // Reads until `count` bytes came or the time-out passed.
  std::string Receive(size_t count, std::chrono::milliseconds timeout = std::chrono::seconds(10));
  // Whatever arrives within the time.
  std::string ReceiveFor(std::chrono::milliseconds time);
  // True when nothing arrives within `quiet`.
  bool NothingArrives(std::chrono::milliseconds quiet = std::chrono::milliseconds(200));

  // Closes both sides: a port that has the line open sees a hang-up, and its
  // device node is gone.
  void HangUp();
  // Removes the COM<n> link (the line itself stays).
  void Unlink();

 private:
  DWORD port_;
};

}  // namespace serial_lines
