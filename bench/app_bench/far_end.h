// The far end of one serial line: a pseudo-terminal whose slave is linked as
// COM<n> in the ports folder, so that the window can open it, and whose
// master the benchmark writes the byte pattern to and reads what the window
// sent from. Every write is logged with its moment, so that the moment each
// byte is shown can be matched to the moment it arrived.
#pragma once

#include <atomic>
#include <cstddef>
#include <mutex>
#include <string>
#include <vector>

#include "byte_pattern.h"

struct WriteRecord {
  uint64_t position;  // of the write's first byte in the pattern
  Clock::time_point time;
};

// A temporary configuration folder holding the ports folder and the folder
// for the ports' lock files; it is the process's XDG_CONFIG_HOME while it
// lives, and is removed with it.
class PortsFolder {
 public:
  PortsFolder();
  ~PortsFolder();
  PortsFolder(const PortsFolder&) = delete;
  PortsFolder& operator=(const PortsFolder&) = delete;

  std::string PortsPath() const { return root_ + "/kestrix/ports"; }

 private:
  std::string root_;
};

class FarEnd {
 public:
  // A line the window offers as COM<port>.
  FarEnd(const PortsFolder& folder, int port);
  // A line of its own, for another program to open by SlavePath().
  FarEnd();
  ~FarEnd();
  FarEnd(const FarEnd&) = delete;
  FarEnd& operator=(const FarEnd&) = delete;

  // Writes the next `count` bytes of the pattern as far as the terminal
  // takes them now (it never blocks); returns how many it took.
  size_t Write(size_t count);
  uint64_t Written() const { return written_; }
  // The device a program opens to read this line.
  const std::string& SlavePath() const { return slavePath_; }
  // The writes whose first byte lies in [from, to).
  std::vector<WriteRecord> Writes(uint64_t from, uint64_t to) const;

  // Reads what the window sent as far as it has arrived (it never blocks),
  // checking that it continues the sent lines; returns how many bytes it
  // read.
  size_t Read();
  uint64_t Received() const { return received_; }
  uint64_t ReceivedWrong() const { return receivedWrong_; }

 private:
  int master_ = -1;
  int slave_ = -1;  // held open so that the line never hangs up between opens
  std::string slavePath_;
  std::atomic<uint64_t> written_{0};
  std::atomic<uint64_t> received_{0};
  std::atomic<uint64_t> receivedWrong_{0};
  mutable std::mutex logMutex_;
  std::vector<WriteRecord> log_;
};
