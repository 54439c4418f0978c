// The soak: both lines carry the byte pattern both ways at once for a long
// spell, and every byte must arrive in order at the other end and be
// counted: the far ends' writes shown in the panels and counted by R:, the
// panels' sends read at the far ends and counted by S:.
#pragma once

#include <string>

#include "../app_bench/runs.h"

struct SoakLine {
  uint64_t farEndWrote = 0;      // towards the window
  uint64_t shown = 0;            // in the panel, in pattern order
  uint64_t counterReceived = 0;  // R: on the status bar
  uint64_t offered = 0;          // by the panel's Send presses
  uint64_t farEndReceived = 0;   // read at the far end
  uint64_t farEndWrong = 0;      // read out of order, or wrong
  uint64_t counterSent = 0;      // S: on the status bar
  bool countersRead = false;

  bool Whole() const {
    return countersRead && shown == farEndWrote && counterReceived == farEndWrote && farEndReceived == offered &&
           farEndWrong == 0 && counterSent == offered;
  }
};

struct SoakResult {
  std::string error;
  double rate = 0;  // bytes/s each way on each line
  LoadResult load;  // the far ends' side, as app_bench measures it
  SoakLine lines[2];
  bool arrived = false;  // every byte the panels sent reached the far ends
  long residentStartKiB = 0;
  long residentEndKiB = 0;
};

SoakResult RunSoak(const Lines& lines, double rate, double minutes);
