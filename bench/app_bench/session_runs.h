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

// A panel's whole-session view.
TLogView* ViewOf(const Lines& lines, int panel);

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
// Returns the seconds it took.
double FillSession(const Lines& lines, double rate, uint64_t bytes);
// Sets both panels' 保留上限 (MiB) as the menu item does.
std::string SetSessionLimit(const Lines& lines, int mib);

// A find over all that is kept, typed into the find box.
struct FindFigures {
  double ms = 0;  // the text typed to every match counted
  long long matches = -1;
  bool progressShown = false;  // the box said how far the count came while it ran
  Spread answers;              // the window's answers meanwhile, ms
};

struct SessionViewFigures {
  uint64_t received = 0;  // bytes both log lines sent
  uint64_t kept = 0;      // bytes both views keep, as they count them
  uint64_t dropped = 0;   // bytes they let go
  long residentKiB = 0;
  Spread top;         // Ctrl+Home in the view to it drawn at the top, ms
  Spread bottom;      // Ctrl+End, back to the newest line drawn, ms
  FindFigures find;   // plain text
  FindFigures regex;  // a regular expression
  // 保存显示内容… of panel 1's view: from the item to the file written.
  double saveMs = 0;
  uint64_t savedBytes = 0;
  bool saveWhole = false;  // the file holds the view's text, CR LF for each line break
  Spread saveAnswers;
};

// The regular expression the benchmark finds: error lines of two tags whose
// number ends in 1 or 3, one line in forty.
inline constexpr char kEspLogExpression[] = "^E \\(\\d+\\) (wifi|mqtt_client): line \\d*[13]:";

// The view's figures over what the panels keep now (panel 1's view for
// the jumps, the finds and the save, into `saveFolder`; both for the
// sizes).
SessionViewFigures MeasureSessionView(const Lines& lines, const std::string& saveFolder);
