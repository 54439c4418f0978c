// An lrzsz program (sx, rb, sz, ...) on a line's far end, as a board's
// bootloader or a remote shell runs one: its standard input and output on
// the pseudo-terminal's master side, its standard error kept in a file, its
// working folder given. The master is made blocking for the program (the
// far end's descriptor is shared) and non-blocking again once it ended.
// Killed, if still running, when the test lets it go.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <optional>
#include <string>
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

  int master_;
  pid_t pid_ = -1;
  std::string errors_;
  std::optional<int> status_;
};
