// An lrzsz program (sx, rb, sz, ...) on a line's far end, as a board's
// bootloader or a remote shell runs one: its standard input and output a
// socket joined to the line's master side by a relay thread, its standard
// error kept in a file, its working folder given. Not a terminal: lrzsz
// would set its modes (raw, XON/XOFF), and as it ends it drains and flushes
// its terminal, which on a pseudo-terminal throws away its last bytes (the
// final ACK) when the relay has not read them yet; a UART sends them first.
// The relay can pace both directions as a line at a baud rate does, and
// spoil a byte now and then on its way to the program, as a noisy line does.
// Killed, if still running, when the test lets it go.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace serial_lines {

struct LineLikeness {
  double bytesPerSecond = 0;  // each way; 0: as fast as the line takes them
  uint64_t spoilEvery = 0;    // one byte in so many to the program flipped; 0: none
};

class LrzszFarEnd {
 public:
  // Runs Words (the program and its arguments) in Folder, joined to the fd
  // of a line's master (or any descriptor that carries the line). Prefix,
  // when given, is written to the line first (a bootloader's prompt).
  LrzszFarEnd(int master, const std::string& folder, const std::vector<std::string>& words,
              const std::string& prefix = std::string(), LineLikeness likeness = {});
  ~LrzszFarEnd();
  LrzszFarEnd(const LrzszFarEnd&) = delete;
  LrzszFarEnd& operator=(const LrzszFarEnd&) = delete;

  // The exit status once the program ended and its last bytes went to the
  // line (-1 when a signal ended it); nothing while it runs.
  std::optional<int> Ended();
  // Ends the program at once, as a board that stops answering does.
  void Kill();
  // Asks the program to stop (SIGINT): lrzsz then cancels the transfer
  // with the protocol's own cancel, as a user's Ctrl+C at the far end does.
  void Interrupt();
  // What the program said on its standard error.
  std::string Said() const;
  // Bytes the relay flipped on their way to the program.
  uint64_t Spoiled() const { return spoiled_; }

 private:
  void Reap(int status);
  // Copies both ways until the program has ended and its last bytes went.
  void Relay();

  int master_;
  int board_ = -1;  // the relay's side of the program's input and output
  pid_t pid_ = -1;
  std::string errors_;
  LineLikeness likeness_;
  uint64_t spoiled_ = 0;
  std::optional<int> status_;
  std::thread relay_;
};

}  // namespace serial_lines
