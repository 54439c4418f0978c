// The plainest reader of a line: `cat` of each of two lines of its own (the
// terminal side in raw mode) into a file, fed the same log the same way as
// the window's lines. If cat takes every byte, a feed is one a reader that
// is never late can keep up with.
#pragma once

#include <array>
#include <chrono>
#include <memory>
#include <string>

#include "measures.h"

struct CatResult {
  bool ran = false;
  std::string note;  // why it did not run
  // Summed over both lines.
  uint64_t taken = 0;
  uint64_t lost = 0;
  uint64_t inFiles = 0;   // bytes the files hold, as sent
  uint64_t wrong = 0;     // bytes in the files that differ from what was sent
  double cpuPercent = 0;  // both cat processes, share of one core
  bool Lossless() const { return ran && lost == 0 && wrong == 0 && inFiles == taken; }
};

class CatLine;

class CatReference {
 public:
  CatReference();
  ~CatReference();  // ends both cat processes and removes their files

  // Both lines at `rate` bytes/s each for `seconds`, a write every `step`.
  CatResult Run(double rate, double seconds, std::chrono::milliseconds step);

 private:
  std::string missing_;
  std::string folder_;
  std::array<std::unique_ptr<CatLine>, 2> lines_;
};
