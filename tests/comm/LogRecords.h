// Reading back what the process-wide log has written.
#pragma once

#include <string>

// Lines in the log folder's files that contain `text`.
int CountLogLines(const std::string& text);
