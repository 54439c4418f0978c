// Two programs logging to the same month's file at once: each batch lands
// whole after whatever the other wrote, so no record is cut into, lost or
// written over.
#include <spawn.h>
#include <sys/wait.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "cxLog.h"
#include "log_append_helper.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;

const int kRecordsEach = 400;
const unsigned kDumpLines = kHelperPayloadLength / 16;

pid_t StartHelper(const char* tag) {
  std::string count = std::to_string(kRecordsEach);
  char* argv[] = {const_cast<char*>(LOG_APPEND_HELPER), const_cast<char*>(tag), count.data(), nullptr};
  pid_t pid = -1;
  if (posix_spawn(&pid, LOG_APPEND_HELPER, nullptr, nullptr, argv, environ) != 0) return -1;
  return pid;
}

bool EndedWell(pid_t pid) {
  int status = 0;
  return pid > 0 && waitpid(pid, &status, 0) == pid && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

// The dump line of byte offset `offset` of a payload that holds `tag` only.
std::string DumpLine(unsigned offset, char tag) {
  char cell[4];
  std::snprintf(cell, sizeof cell, "%02X ", static_cast<unsigned char>(tag));
  char start[16];
  std::snprintf(start, sizeof start, "%08X: ", offset);
  std::string line = start;
  for (int i = 0; i < 16; ++i) line += cell;
  return line + std::string(16, tag) + "\r";
}

}  // namespace

TEST(LogFromTwoProcesses, EveryRecordLandsWholeAndOnce) {
  char name[16];
  std::snprintf(name, sizeof name, "%04u%02u.log", kHelperYear, kHelperMonth);
  // The helpers live beside this program and so log to the same folder.
  const fs::path file = fs::path(CxLog::LogFolder()) / name;
  std::error_code ignored;
  fs::remove(file, ignored);

  const pid_t first = StartHelper("A");
  const pid_t second = StartHelper("B");
  ASSERT_TRUE(EndedWell(first));
  ASSERT_TRUE(EndedWell(second));

  std::ifstream stream(file, std::ios::binary);
  ASSERT_TRUE(stream.is_open());
  std::vector<std::string> lines;
  for (std::string line; std::getline(stream, line);) lines.push_back(line);

  // Each record: its line, then its dump; records of the two programs may
  // alternate, never mix.
  std::map<char, std::vector<int>> seen;
  size_t at = 0;
  while (at < lines.size()) {
    const std::string& line = lines[at++];
    const size_t source = line.find(" Message log_append_helper.cpp(");
    const size_t message = line.find("): ");
    ASSERT_NE(source, std::string::npos) << "line " << at << ": " << line;
    ASSERT_NE(message, std::string::npos) << "line " << at << ": " << line;
    char tag = 0;
    int index = -1;
    ASSERT_EQ(std::sscanf(line.c_str() + message + 3, "%c %d\r", &tag, &index), 2) << line;
    ASSERT_TRUE(tag == 'A' || tag == 'B') << line;
    for (unsigned row = 0; row < kDumpLines; ++row, ++at) {
      ASSERT_LT(at, lines.size()) << "the file ends inside record " << tag << " " << index;
      ASSERT_EQ(lines[at], DumpLine(row * 16, tag)) << "record " << tag << " " << index << ", line " << at + 1;
    }
    seen[tag].push_back(index);
  }
  for (char tag : {'A', 'B'}) {
    std::vector<int> expected(kRecordsEach);
    for (int i = 0; i < kRecordsEach; ++i) expected[i] = i;
    EXPECT_EQ(seen[tag], expected) << "records of " << tag << " missing, repeated or out of order";
  }
  fs::remove(file, ignored);
}
