// The log writer: batches, the month's file, the folder, failures, exit order.
// Each test writes to a month of its own, so test processes running side by
// side never share a file; files from earlier runs are tolerated by reading
// only what a test appended.
#include <kestrix/platform_testing.h>
#include <sys/stat.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "TheWorkerThread.h"
#include "cxLog.h"

struct CxLogTesting {
  static LockerImpl* queueLock() { return CxLog::Instance()._pLock; }
  static void wakeWriter() { SetEvent(CxLog::Instance()._hDataEvent); }
};

namespace {

namespace fs = std::filesystem;

void setClock(WORD year, WORD month, WORD day = 15, WORD hour = 12, WORD minute = 0, WORD second = 0,
              WORD milliseconds = 0) {
  const SYSTEMTIME time{year, month, 0, day, hour, minute, second, milliseconds};
  SetLocalClockForTesting(&time);
}

fs::path monthFile(int year, int month) {
  char name[16];
  std::snprintf(name, sizeof name, "%04d%02d.log", year, month);
  return fs::path(CxLog::LogFolder()) / name;
}

std::uintmax_t sizeOf(const fs::path& file) {
  std::error_code error;
  const std::uintmax_t size = fs::file_size(file, error);
  return error ? 0 : size;
}

// The lines appended after `from` once `last` has appeared, each without its
// first 24 characters (a record's time text and blank); empty when `last`
// never appears.
std::vector<std::string> appendedLines(const fs::path& file, std::uintmax_t from, const std::string& last) {
  for (int attempt = 0; attempt < 400; ++attempt, Sleep(50)) {
    std::ifstream stream(file, std::ios::binary);
    stream.seekg(static_cast<std::streamoff>(from));
    std::stringstream text;
    text << stream.rdbuf();
    if (text.str().find(last) == std::string::npos) continue;
    std::vector<std::string> lines;
    for (std::string line; std::getline(text, line);) lines.push_back(line.substr(24));
    return lines;
  }
  return {};
}

class LogWriter : public ::testing::Test {
 protected:
  void TearDown() override { SetLocalClockForTesting(nullptr); }
};

TEST_F(LogWriter, RecordsQueuedTogetherAreWrittenInOrder) {
  setClock(2051, 3);
  const fs::path file = monthFile(2051, 3);
  const std::uintmax_t from = sizeOf(file);
  {
    InnerLocker lock(CxLogTesting::queueLock());  // the writer waits: one batch
    for (const char* message : {"first", "second", "third"}) CxLog::Log("src\\t.cpp", 9, 0, message);
  }
  EXPECT_EQ(appendedLines(file, from, "third"),
            (std::vector<std::string>{"Message t.cpp(9): first\r", "Message t.cpp(9): second\r",
                                      "Message t.cpp(9): third\r"}));
}

TEST_F(LogWriter, TheFileFollowsTheClockAtWritingNotTheRecordsTime) {
  setClock(2052, 1, 31, 23, 59, 59, 900);
  auto* item = new CxLog::Item("t.cpp", nullptr, 5, 1, "late", "\x01Z", 2);
  setClock(2052, 2, 1, 0, 0, 0, 100);
  const fs::path january = monthFile(2052, 1), february = monthFile(2052, 2);
  const std::uintmax_t januaryFrom = sizeOf(january), februaryFrom = sizeOf(february);
  CxLog::Instance().Add(item);
  const std::vector<std::string> lines = appendedLines(february, februaryFrom, "late");
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0], "Warning t.cpp(5): late\r");
  EXPECT_EQ(lines[1], std::string(34, ' ') + " Z" + std::string(14, ' ') + "\r");  // the dump
  EXPECT_EQ(sizeOf(january), januaryFrom);
  std::ifstream stream(february, std::ios::binary);
  stream.seekg(static_cast<std::streamoff>(februaryFrom));
  std::string written[2];
  std::getline(stream, written[0]);
  std::getline(stream, written[1]);
  EXPECT_EQ(written[0].substr(0, 20), "2052-01-31 23:59:59.");
  EXPECT_EQ(written[1].substr(0, 24), "00000000: 01 5A " + std::string(8, ' '));
}

TEST_F(LogWriter, AnEmptyWakeStillCreatesTheMonthsFile) {
  setClock(2053, 6);
  const fs::path file = monthFile(2053, 6);
  fs::remove(file);
  CxLogTesting::wakeWriter();
  for (int attempt = 0; attempt < 400 && !fs::exists(file); ++attempt) Sleep(50);
  EXPECT_TRUE(fs::exists(file));
  EXPECT_EQ(sizeOf(file), 0u);
}

TEST_F(LogWriter, AFileThatCannotBeOpenedKeepsTheRecordsForTheNextWake) {
  setClock(2054, 9);
  const fs::path file = monthFile(2054, 9);
  fs::remove_all(file);
  fs::create_directories(file);  // a folder where the file should be
  CxLog::Log("t.cpp", 1, 0, "kept");
  Sleep(500);  // the writer tries and fails
  fs::remove(file);
  CxLog::Log("t.cpp", 2, 0, "next");
  EXPECT_EQ(appendedLines(file, 0, "next"),
            (std::vector<std::string>{"Message t.cpp(1): kept\r", "Message t.cpp(2): next\r"}));
}

// Only the regular file of the month's name is written: a link there is not
// followed (its target is never made) and a pipe never holds the writer. The
// records wait until the file can be written.
TEST_F(LogWriter, ALinkOrAPipeNamedLikeTheMonthsFileIsLeftAloneAndTheRecordsWait) {
  setClock(2055, 4);
  const fs::path file = monthFile(2055, 4);
  const fs::path target = fs::path(CxLog::LogFolder()) / "link-target-205504";
  fs::remove(file);
  fs::remove(target);
  fs::create_symlink(target, file);
  CxLog::Log("t.cpp", 1, 0, "behind a link");
  Sleep(300);  // the writer tries and refuses
  EXPECT_FALSE(fs::exists(target));
  EXPECT_TRUE(fs::is_symlink(file));
  fs::remove(file);

  ASSERT_EQ(::mkfifo(file.c_str(), 0600), 0);
  CxLog::Log("t.cpp", 2, 0, "behind a pipe");
  Sleep(300);
  EXPECT_TRUE(fs::is_fifo(file));
  fs::remove(file);
  CxLog::Log("t.cpp", 3, 0, "written");
  EXPECT_EQ(appendedLines(file, 0, "written"),
            (std::vector<std::string>{"Message t.cpp(1): behind a link\r", "Message t.cpp(2): behind a pipe\r",
                                      "Message t.cpp(3): written\r"}));
}

TEST_F(LogWriter, AFullQueueTurnsRecordsAwayAndSaysHowManyOnceItCanWrite) {
  setClock(2057, 7);
  const fs::path file = monthFile(2057, 7);
  fs::remove_all(file);
  fs::create_directories(file);  // the file cannot be opened: records queue
  const int logged = static_cast<int>(CxLog::kMaxQueuedRecords) + 5;
  for (int line = 0; line < logged; ++line) CxLog::Log("t.cpp", line, 0, "queued");
  fs::remove(file);
  CxLogTesting::wakeWriter();
  const std::vector<std::string> lines = appendedLines(file, 0, "records dropped");
  ASSERT_EQ(lines.size(), CxLog::kMaxQueuedRecords + 1);
  EXPECT_EQ(lines.front(), "Message t.cpp(0): queued\r");
  EXPECT_EQ(lines[CxLog::kMaxQueuedRecords - 1], "Message t.cpp(1023): queued\r");
  EXPECT_EQ(lines.back().substr(0, 14), "Warning cxLog.");
  EXPECT_NE(lines.back().find("): 5 records dropped\r"), std::string::npos) << lines.back();

  // The count starts again from nothing.
  CxLog::Log("t.cpp", 9, 0, "next");
  const std::vector<std::string> after = appendedLines(file, 0, "next");
  ASSERT_EQ(after.size(), lines.size() + 1);
  EXPECT_EQ(after.back(), "Message t.cpp(9): next\r");
}

// The build folder can be written: the log goes beside the test program.
TEST(LogFolder, IsTheFolderLogBesideTheExecutable) {
  const fs::path executable = fs::canonical("/proc/self/exe");
  EXPECT_EQ(std::string(CxLog::LogFolder()), executable.parent_path().string() + "/Log/");
  CxLog::Instance();
  EXPECT_TRUE(fs::is_directory(CxLog::LogFolder()));
}

TEST(LogInstance, IsOneObjectWhicheverThreadAsksFirst) {
  std::vector<CxLog*> seen(8);
  std::vector<std::thread> threads;
  for (CxLog*& slot : seen) threads.emplace_back([&slot] { slot = &CxLog::Instance(); });
  for (std::thread& thread : threads) thread.join();
  EXPECT_EQ(seen, std::vector<CxLog*>(8, &CxLog::Instance()));
}

// Runs after the log's destruction (registered before the log existed).
void checkExitOrder() {
  bool logGone = false;
  try {
    CxLog::Instance();
  } catch (const std::runtime_error& error) {
    logGone = std::string(error.what()) == "CxLog has destroy!";
  }
  const bool workerLeft = WaitForSingleObject(TheWorkerThread._hExitEvent, 0) == WAIT_TIMEOUT;
  std::_Exit(logGone && workerLeft ? 0 : 1);
}

TEST(LogAtExit, GoesBeforeTheWorkerThreadAndRefusesLaterUse) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(
      {
        std::atexit(checkExitOrder);
        CxLog::Log("t.cpp", 1, 0, "at exit");
        std::exit(7);
      },
      ::testing::ExitedWithCode(0), "CxLog has destroy!");
}

}  // namespace
