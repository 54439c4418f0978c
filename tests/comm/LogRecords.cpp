#include "LogRecords.h"

#include <filesystem>
#include <fstream>

#include "cxLog.h"

int CountLogLines(const std::string& text) {
  int count = 0;
  std::error_code error;
  for (const auto& entry : std::filesystem::directory_iterator(CxLog::LogFolder(), error)) {
    if (entry.path().extension() != ".log") continue;
    std::ifstream file(entry.path(), std::ios::binary);
    for (std::string line; std::getline(file, line);) {
      if (line.find(text) != std::string::npos) ++count;
    }
  }
  return count;
}
