// The reference peer: Debian's tio on lines of its own, fed the same way as
// the window's. Each line's tio runs with a pseudo-terminal as its
// terminal; the benchmark reads that terminal (as a terminal emulator
// would) and checks that what tio printed continues the pattern.
#pragma once

#include <array>
#include <memory>
#include <string>

#include "measures.h"
#include "pattern_far_end.h"

struct TioResult {
  bool ran = false;
  std::string note;    // why it did not run
  uint64_t taken = 0;  // per line, summed over both lines
  uint64_t lost = 0;
  uint64_t printed = 0;  // bytes tio printed in order
  uint64_t wrong = 0;
  double cpuPercent = 0;  // both tio processes, share of one core
  bool Lossless() const { return ran && lost == 0 && wrong == 0 && printed == taken; }
};

class TioLine;

class TioReference {
 public:
  TioReference();
  ~TioReference();  // ends both lines and their tio processes

  // Empty when tio can run here; otherwise why not.
  const std::string& Missing() const { return missing_; }
  // Both of tio's lines at `rate` bytes/s each for `seconds`, fed like real
  // lines (what a line does not take when due is lost).
  TioResult Run(double rate, double seconds);

 private:
  std::string missing_;
  std::array<std::unique_ptr<TioLine>, 2> lines_;
};
