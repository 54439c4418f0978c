// The session log under load: both log lines at 92,160 bytes/s each with
// the whole session kept in colours, first without the log, then with both
// panels logging (会话日志…), then without again; the program's CPU in each
// and the log files checked against what the views took meanwhile.
#pragma once

#include <string>

#include "session_runs.h"

struct SessionLogFigures {
  std::string error;
  SessionLoadResult without, with, withoutAgain;
  // Per panel: the log's file, its bytes, and whether it holds exactly
  // the text its view took while logging.
  std::string files[2];
  uint64_t fileBytes[2] = {0, 0};
  uint64_t viewBytes[2] = {0, 0};
  bool equal[2] = {false, false};

  double CpuRatio() const;
};

// Runs of `seconds` each; the files go to `folder` and are removed after.
SessionLogFigures RunSessionLog(const Lines& lines, double seconds, const std::string& folder);
