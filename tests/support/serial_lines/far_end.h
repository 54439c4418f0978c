// The far end of a serial line: a pseudo-terminal pair whose master side is
// held here (non-blocking) and whose terminal side is what a port opens,
// either by its path or, linked into a ports folder, as COM<n>. The
// terminal side is held open too, so that the line does not hang up between
// the port's opens. Failures to set a line up or to send throw
// std::runtime_error: a test reports it, a benchmark stops with it.
#pragma once

#include <windows.h>

#include <termios.h>

#include <chrono>
#include <cstddef>
#include <string>

namespace serial_lines {

class PortsFolder;

class FarEnd {
 public:
  // A line of its own, opened by TerminalPath().
  FarEnd();
  // A line the program finds as COM<port>.
  FarEnd(const PortsFolder& folder, DWORD port);
  // Removes its link and closes both sides.
  ~FarEnd();
  FarEnd(const FarEnd&) = delete;
  FarEnd& operator=(const FarEnd&) = delete;

  int Master() const { return master_; }
  int Terminal() const { return terminal_; }
  const std::string& TerminalPath() const { return terminalPath_; }

  // Sends all of `bytes`, waiting while the line is full.
  void Send(const std::string& bytes);
  // Sends `bytes` and returns once they wait in the terminal side's input
  // queue, as bytes that came before a port opened do: a pseudo-terminal
  // hands them over a moment after the send. The terminal side is made raw
  // first, since a cooked one counts only whole lines as waiting.
  void SendAndLeaveWaiting(const std::string& bytes);
  // Reads until `count` bytes came or the time-out passed.
  std::string Receive(size_t count, std::chrono::milliseconds timeout = std::chrono::seconds(10));
  // Whatever arrives within the time.
  std::string ReceiveFor(std::chrono::milliseconds time);
  // True when nothing arrives within `quiet`.
  bool NothingArrives(std::chrono::milliseconds quiet = std::chrono::milliseconds(200));
  // The line settings as the terminal holds them.
  termios Settings() const;

  // Closes both sides: a port that has the line open sees a hang-up, and its
  // device node is gone.
  void HangUp();
  // Removes the COM<n> link (the line itself stays).
  void Unlink();

 private:
  int master_ = -1;
  int terminal_ = -1;
  std::string terminalPath_;
  std::string linkPath_;
};

}  // namespace serial_lines
