// A program the test starts and watches from outside: its standard output
// read line by line, its end waited for with a time limit. Killed, if still
// running, when the test lets it go.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <optional>
#include <string>
#include <vector>

class HelperProcess {
 public:
  // Starts program with the arguments; passFd, when not -1, is the child's
  // descriptor 3.
  HelperProcess(const std::string& program, const std::vector<std::string>& arguments, int passFd = -1);
  ~HelperProcess();
  HelperProcess(const HelperProcess&) = delete;
  HelperProcess& operator=(const HelperProcess&) = delete;

  pid_t Pid() const { return pid_; }
  // Reads output until a line starting with `prefix` comes; false at the
  // end of the output or after the time-out.
  bool WaitForLine(const std::string& prefix, std::chrono::milliseconds timeout = std::chrono::seconds(60));
  // Everything read so far.
  const std::string& Output() const { return output_; }
  // The wait status once the program has ended; nothing after the time-out.
  std::optional<int> WaitForEnd(std::chrono::milliseconds timeout);
  bool Running();

 private:
  pid_t pid_ = -1;
  int out_ = -1;
  std::string output_;
  size_t scanned_ = 0;  // output_ up to here was matched already
  std::optional<int> status_;
};
