// An lrzsz program (sx, rb, sz, ...) on a line's far end, as a board's
// bootloader or a remote shell runs one: its standard input and output a
// socket joined to the line's master side by a relay thread, its standard
// error kept in a file, its working folder given. Not a terminal: lrzsz
// would set its modes (raw, XON/XOFF), and as it ends it drains and flushes
// its terminal, which on a pseudo-terminal throws away its last bytes (the
// final ACK) when the relay has not read them yet; a UART sends them first.
// Killed, if still running, when the test lets it go.
#pragma once

#include <sys/types.h>

#include <optional>
#include <string>
#include <thread>
#include <vector>

class LrzszFarEnd {
 public:
  // Runs Words (the program and its arguments) in Folder. Prefix, when
  // given, is written to the line first (a bootloader's prompt).
  LrzszFarEnd(int master, const std::string& folder, const std::vector<std::string>& words,
              const std::string& prefix = std::string());
  ~LrzszFarEnd();
  LrzszFarEnd(const LrzszFarEnd&) = delete;
  LrzszFarEnd& operator=(const LrzszFarEnd&) = delete;

  // The exit status once the program ended (-1 when a signal ended it);
  // nothing while it runs.
  std::optional<int> Ended();
  // Ends the program at once, as a board that stops answering does.
  void Kill();
  // What the program said on its standard error.
  std::string Said() const;

 private:
  void Reap(int status);
  // Copies both ways until the program has ended and its last bytes went.
  void Relay();

  int master_;
  int board_ = -1;  // the relay's side of the program's input and output
  pid_t pid_ = -1;
  std::string errors_;
  std::optional<int> status_;
  std::thread relay_;
};
