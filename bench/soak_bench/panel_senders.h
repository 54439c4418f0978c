// The window's half of two-way traffic: both panels send a line of 128
// bytes (the edit's limit) at a given rate through their Send buttons, as a
// user's presses would, while the far ends read and check what arrives.
#pragma once

#include <array>
#include <chrono>
#include <cstdint>

#include <toolkit/toolkit.h>

#include "../app_bench/runs.h"

class PanelSenders {
 public:
  PanelSenders(const Lines& lines, double rate);

  // Sends what is due by now from each panel whose port is open (a step's
  // burst at most, the rest in later steps), then reads what has arrived at
  // the far ends.
  void Step();

  // Bytes the panel's presses offered for sending.
  uint64_t Offered(int index) const { return offered_[index]; }
  // Waits until every byte offered has arrived at its far end, or the time
  // runs out; returns whether it did.
  bool WaitUntilArrived(std::chrono::milliseconds timeout);

 private:
  const Lines& lines_;
  double rate_;
  Clock::time_point start_;
  std::array<uint64_t, 2> accounted_{};  // of the bytes due by the clock: sent, or missed while closed
  std::array<uint64_t, 2> offered_{};
  String line_;
};

// The panel's status-bar line ("COMn: S:... R:..."), read on the window's
// thread; false when it does not hold both counts.
bool ReadCounterLine(WatchedForm& form, int index, uint64_t& sent, uint64_t& received);
