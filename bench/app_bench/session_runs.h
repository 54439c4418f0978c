// The receive area keeping a device's whole session: both panels on the log
// lines (COM3, COM4) with 保留全部接收内容, 终端颜色 and UTF-8 chosen in
// their menus, fed an ESP-IDF-like log. A load run checks that every line
// sent is in the view as it should show, whole and in order; the view's
// figures (memory, jumps to the top and bottom, a find over all that is
// kept) go through the program's own keys, find box and redraws.
#pragma once

#include <string>

#include "runs.h"

// Opens both panels on the log lines and makes the choices as a user
// does, by the receive areas' menu items. Returns what went wrong.
std::string StartSession(const Lines& lines, const char* baud);

struct SessionLoadResult {
  double rate = 0;  // bytes per second per line
  double seconds = 0;
  int stepMs = 10;  // one write every step
  // Summed over both lines.
  uint64_t taken = 0;
  uint64_t lost = 0;
  uint64_t linesSent = 0;  // whole lines, to the end of the run
  bool shownAll = false;   // every line sent is in the view, as it shows it, in order
  std::string mismatch;    // where the view first differed, when it did
  CpuShare cpu;
  Spread answers;  // a call posted to the window's thread while the lines stream, to its running, ms

  bool Lossless() const { return lost == 0 && shownAll; }
};

// Both log lines fed at `rate` bytes/s each for `seconds`, a write every
// `step`; then the lines under way finished and the views checked.
SessionLoadResult RunSessionLoad(const Lines& lines, double rate, double seconds, std::chrono::milliseconds step);

// Feeds both log lines at `rate`, unmeasured, until each has sent `bytes`.
void FillSession(const Lines& lines, double rate, uint64_t bytes);

struct SessionViewFigures {
  uint64_t received = 0;  // bytes both log lines sent
  uint64_t kept = 0;      // bytes both views keep, as they count them
  uint64_t dropped = 0;   // bytes they let go
  long residentKiB = 0;
  Spread top;     // Ctrl+Home in the view to it drawn at the top, ms
  Spread bottom;  // Ctrl+End, back to the newest line drawn, ms
  Spread find;    // the find box's text typed to every match counted and drawn, ms
  int matches = -1;
};

// The view's figures over what the panels keep now (panel 1's view for
// the jumps and the find; both for the sizes).
SessionViewFigures MeasureSessionView(const Lines& lines);
