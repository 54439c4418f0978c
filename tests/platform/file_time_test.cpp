// Files and folders, the module path, local time, and the runtime's small
// stand-ins (debugger output, component initialisation, message boxes, the
// assertion).
#include <kestrix/platform_testing.h>
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>

#include "../support/temp_folder.h"

namespace {

namespace fs = std::filesystem;

std::string contentsOf(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

HANDLE openForLog(const std::string& path) {
  return CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                     FILE_ATTRIBUTE_NORMAL, nullptr);
}

BOOL writeText(HANDLE file, const char* text, DWORD* written = nullptr) {
  DWORD count = 0;
  const BOOL ok = WriteFile(file, text, static_cast<DWORD>(std::strlen(text)), &count, nullptr);
  if (written) *written = count;
  return ok;
}

// --- The module path.

TEST(ModuleFileName, IsTheRealPathOfThisExecutable) {
  char buffer[MAX_PATH * 4];
  const DWORD length = GetModuleFileNameA(nullptr, buffer, sizeof buffer);
  const std::string expected = fs::canonical("/proc/self/exe").string();
  ASSERT_GT(length, 0u);
  EXPECT_EQ(length, std::strlen(buffer));
  EXPECT_EQ(std::string(buffer), expected);
  EXPECT_EQ(fs::path(buffer).filename(), "platform_tests");
}

TEST(ModuleFileName, TooSmallABufferGetsACutEndedPath) {
  char full[MAX_PATH * 4];
  const DWORD length = GetModuleFileNameA(nullptr, full, sizeof full);
  ASSERT_GT(length, 8u);

  char small[8];
  std::memset(small, 'x', sizeof small);
  SetLastError(0);
  EXPECT_EQ(GetModuleFileNameA(nullptr, small, sizeof small), static_cast<DWORD>(sizeof small));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
  EXPECT_EQ(std::string(small), std::string(full, sizeof small - 1));

  // Room for the text but not its ending zero is still too small.
  std::string exact(length, 'x');
  SetLastError(0);
  EXPECT_EQ(GetModuleFileNameA(nullptr, exact.data(), length), length);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
  EXPECT_EQ(std::strlen(exact.c_str()), length - 1);

  std::string enough(length + 1, 'x');
  SetLastError(0);
  EXPECT_EQ(GetModuleFileNameA(nullptr, enough.data(), length + 1), length);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SUCCESS));
  EXPECT_EQ(std::string(enough.c_str()), std::string(full));
}

TEST(ModuleFileName, OtherModulesAreUnknown) {
  char buffer[MAX_PATH];
  SetLastError(0);
  EXPECT_EQ(GetModuleFileNameA(reinterpret_cast<HMODULE>(0x1000), buffer, sizeof buffer), 0u);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
}

// --- Folders.

TEST(CreateDirectory, SecondCreationReportsAlreadyExists) {
  TempFolder temp;
  const std::string folder = temp / "Log";
  EXPECT_TRUE(CreateDirectoryA(folder.c_str(), nullptr));
  EXPECT_TRUE(fs::is_directory(folder));
  SetLastError(0);
  EXPECT_FALSE(CreateDirectoryA(folder.c_str(), nullptr));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
}

TEST(CreateDirectory, MissingParentIsPathNotFound) {
  TempFolder temp;
  SetLastError(0);
  EXPECT_FALSE(CreateDirectoryA((temp / "missing/Log").c_str(), nullptr));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
}

// --- Plain files.

TEST(PlainFile, AppendingBatchesRoundTrip) {
  TempFolder temp;
  const std::string path = temp / "202612.log";
  for (const char* batch : {"first line\r\n", "second line\r\n", "third\r\n"}) {
    // As the log opens its file: every write goes to the end.
    HANDLE file = CreateFileA(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    DWORD written = 0;
    EXPECT_TRUE(writeText(file, batch, &written));
    EXPECT_EQ(written, std::strlen(batch));
    EXPECT_TRUE(CloseHandle(file));
  }
  EXPECT_EQ(contentsOf(path), "first line\r\nsecond line\r\nthird\r\n");
}

TEST(PlainFile, ReadsBackWhatWasWrittenAndEndsWithAnEmptyRead) {
  TempFolder temp;
  const std::string path = temp / "data.bin";
  HANDLE file = openForLog(path);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  EXPECT_TRUE(writeText(file, "abcdef"));
  CloseHandle(file);
  file = openForLog(path);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  char buffer[16] = {};
  DWORD read = 99;
  EXPECT_TRUE(ReadFile(file, buffer, 4, &read, nullptr));
  EXPECT_EQ(read, 4u);
  EXPECT_EQ(std::string(buffer, read), "abcd");
  EXPECT_TRUE(ReadFile(file, buffer, sizeof buffer, &read, nullptr));
  EXPECT_EQ(std::string(buffer, read), "ef");
  EXPECT_TRUE(ReadFile(file, buffer, sizeof buffer, &read, nullptr));
  EXPECT_EQ(read, 0u);
  CloseHandle(file);
}

TEST(PlainFile, CreationDispositions) {
  TempFolder temp;
  const std::string path = temp / "file.txt";
  SetLastError(0);
  EXPECT_EQ(CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));

  HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  EXPECT_TRUE(writeText(file, "old contents"));
  CloseHandle(file);

  SetLastError(0);
  EXPECT_EQ(CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_EXISTS));

  file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS, 0, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  CloseHandle(file);
  EXPECT_EQ(contentsOf(path), "old contents");

  file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  EXPECT_TRUE(writeText(file, "new"));
  CloseHandle(file);
  EXPECT_EQ(contentsOf(path), "new");
}

TEST(PlainFile, OpenAlwaysAndCreateAlwaysTellWhetherTheFileExisted) {
  TempFolder temp;
  const std::string path = temp / "told.txt";
  SetLastError(1234);
  HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS, 0, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SUCCESS));
  EXPECT_TRUE(writeText(file, "kept"));
  CloseHandle(file);

  SetLastError(0);
  file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS, 0, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
  CloseHandle(file);
  EXPECT_EQ(contentsOf(path), "kept");

  SetLastError(0);
  file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
  CloseHandle(file);
  EXPECT_EQ(contentsOf(path), "");

  SetLastError(1234);
  file = CreateFileA((temp / "fresh.txt").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SUCCESS));
  CloseHandle(file);
}

TEST(PlainFile, TransferWithoutThatAccessIsDenied) {
  TempFolder temp;
  const std::string path = temp / "access.txt";
  HANDLE writeOnly = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
  ASSERT_NE(writeOnly, INVALID_HANDLE_VALUE);
  EXPECT_TRUE(writeText(writeOnly, "abc"));
  char buffer[4];
  DWORD count = 99;
  SetLastError(0);
  EXPECT_FALSE(ReadFile(writeOnly, buffer, sizeof buffer, &count, nullptr));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
  EXPECT_EQ(count, 0u);
  CloseHandle(writeOnly);

  HANDLE readOnly = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(readOnly, INVALID_HANDLE_VALUE);
  SetLastError(0);
  EXPECT_FALSE(writeText(readOnly, "x", &count));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
  EXPECT_EQ(count, 0u);
  CloseHandle(readOnly);
  EXPECT_EQ(contentsOf(path), "abc");
}

TEST(PlainFile, FoldersAndMissingFoldersCannotBeOpenedAsFiles) {
  TempFolder temp;
  SetLastError(0);
  EXPECT_EQ(openForLog(temp.path().string()), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
  SetLastError(0);
  EXPECT_EQ(openForLog(temp / "no/such/folder/x.log"), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
}

TEST(PlainFile, ClosedHandleIsRefused) {
  TempFolder temp;
  HANDLE file = openForLog(temp / "x.log");
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  CloseHandle(file);
  DWORD count = 0;
  SetLastError(0);
  EXPECT_FALSE(WriteFile(file, "x", 1, &count, nullptr));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
}

TEST(PlainFile, SizeIsReportedAndNonFilesHaveNone) {
  TempFolder temp;
  HANDLE file = CreateFileA((temp / "size.bin").c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  std::string bytes(70000, '\0');
  DWORD count = 0;
  ASSERT_TRUE(WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &count, nullptr));
  DWORD high = 0xFF;
  EXPECT_EQ(GetFileSize(file, &high), 70000u);
  EXPECT_EQ(high, 0u);
  CloseHandle(file);
  SetLastError(0);
  EXPECT_EQ(GetFileSize(file, nullptr), INVALID_FILE_SIZE);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));

  HANDLE device = CreateFileA("/dev/null", GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(device, INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetFileSize(device, nullptr), 0u);
  CloseHandle(device);
}

TEST(PlainFile, AFullDiskIsReportedAsSuch) {
  HANDLE full = CreateFileA("/dev/full", GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(full, INVALID_HANDLE_VALUE);
  DWORD count = 5;
  SetLastError(0);
  EXPECT_FALSE(WriteFile(full, "x", 1, &count, nullptr));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_DISK_FULL));
  EXPECT_EQ(count, 0u);
  CloseHandle(full);
}

// --- Local time.

// The SYSTEMTIME as seconds since the epoch (local time zone) and its
// milliseconds, for comparisons that do not depend on how fast the test runs.
int64_t millisecondsOf(const SYSTEMTIME& time) {
  tm local{};
  local.tm_year = time.wYear - 1900;
  local.tm_mon = time.wMonth - 1;
  local.tm_mday = time.wDay;
  local.tm_hour = time.wHour;
  local.tm_min = time.wMinute;
  local.tm_sec = time.wSecond;
  local.tm_isdst = -1;
  return static_cast<int64_t>(std::mktime(&local)) * 1000 + time.wMilliseconds;
}

class LocalTime : public ::testing::Test {
 protected:
  void TearDown() override { SetLocalClockForTesting(nullptr); }

  // Sets the clock to the moment and reads the local time at once.
  static SYSTEMTIME LocalTimeFrom(const SYSTEMTIME& moment) {
    SetLocalClockForTesting(&moment);
    SYSTEMTIME now{};
    GetLocalTime(&now);
    return now;
  }
};

TEST_F(LocalTime, FollowsTheClockSetForTestingAndAdvances) {
  const SYSTEMTIME lastMoment{2026, 11, 1, 30, 23, 59, 59, 900};
  SYSTEMTIME now = LocalTimeFrom(lastMoment);
  const int64_t sinceSet = millisecondsOf(now) - millisecondsOf(lastMoment);
  EXPECT_GE(sinceSet, 0);
  EXPECT_LT(sinceSet, 30000);
  EXPECT_EQ(now.wYear, 2026);

  Sleep(150);  // past midnight: into December, a Tuesday
  GetLocalTime(&now);
  EXPECT_EQ(now.wYear, 2026);
  EXPECT_EQ(now.wMonth, 12);
  EXPECT_EQ(now.wDay, 1);
  EXPECT_EQ(now.wDayOfWeek, 2);
  EXPECT_EQ(now.wHour, 0);
  EXPECT_GE(millisecondsOf(now) - millisecondsOf(lastMoment), 150);
  EXPECT_LT(millisecondsOf(now) - millisecondsOf(lastMoment), 30000);
  EXPECT_LT(now.wMilliseconds, 1000);
}

TEST_F(LocalTime, KeepsFieldsConsistentAtTheMoment) {
  const SYSTEMTIME moment{2026, 11, 1, 30, 12, 0, 0, 0};
  SYSTEMTIME now = LocalTimeFrom(moment);
  EXPECT_EQ(now.wYear, 2026);
  EXPECT_EQ(now.wMonth, 11);
  EXPECT_EQ(now.wDay, 30);
  EXPECT_EQ(now.wDayOfWeek, 1);  // a Monday
  EXPECT_EQ(now.wHour, 12);
}

TEST_F(LocalTime, NullReturnsToTheRealClock) {
  const SYSTEMTIME past{2001, 2, 0, 3, 4, 5, 6, 7};
  SYSTEMTIME now = LocalTimeFrom(past);
  EXPECT_EQ(now.wYear, 2001);
  SetLocalClockForTesting(nullptr);
  GetLocalTime(&now);
  const int64_t real = static_cast<int64_t>(std::time(nullptr)) * 1000;
  EXPECT_LT(std::llabs(millisecondsOf(now) - real), 30000);
}

uint64_t intervalsOf(const FILETIME& time) {
  return (static_cast<uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
}

uint64_t preciseNow() {
  FILETIME now{};
  GetSystemTimePreciseAsFileTime(&now);
  return intervalsOf(now);
}

// The arrival times of received bytes: UTC from 1601 in 100 ns steps, the
// same moment as the local time, finer than a millisecond.
TEST_F(LocalTime, PreciseSystemTimeCountsFrom1601InTenthsOfMicroseconds) {
  const uint64_t unixSeconds = static_cast<uint64_t>(std::time(nullptr));
  const uint64_t expected = (unixSeconds + 11644473600ULL) * 10000000ULL;
  const uint64_t now = preciseNow();
  EXPECT_LT(now > expected ? now - expected : expected - now, 30ULL * 10000000ULL);

  // Consecutive readings differ by far less than a millisecond at least
  // once: the clock is not the millisecond clock scaled up.
  bool finer = false;
  for (int i = 0; i < 1000 && !finer; ++i) {
    const uint64_t a = preciseNow();
    const uint64_t b = preciseNow();
    EXPECT_GE(b, a);
    finer = b - a < 10000 && (a % 10000 != 0 || b % 10000 != 0);
  }
  EXPECT_TRUE(finer);

  const uint64_t before = preciseNow();
  Sleep(50);
  EXPECT_GE(preciseNow() - before, 50ULL * 10000ULL);
}

TEST_F(LocalTime, PreciseSystemTimeMovesWithTheClockSetForTesting) {
  const uint64_t real = preciseNow();
  const SYSTEMTIME past{2001, 2, 0, 3, 4, 5, 6, 7};
  (void)LocalTimeFrom(past);
  const uint64_t moved = preciseNow();
  // 2001 is about 25 years (7.9e15 intervals) before this machine's clock.
  EXPECT_LT(moved, real);
  EXPECT_GT(real - moved, 10ULL * 365 * 86400 * 10000000ULL);
}

TEST_F(LocalTime, FileTimesBecomeTheLocalDateAndTimeGetLocalTimeReports) {
  FILETIME now{};
  GetSystemTimePreciseAsFileTime(&now);
  SYSTEMTIME local{};
  GetLocalTime(&local);
  FILETIME localFileTime{};
  ASSERT_TRUE(FileTimeToLocalFileTime(&now, &localFileTime));
  SYSTEMTIME converted{};
  ASSERT_TRUE(FileTimeToSystemTime(&localFileTime, &converted));
  EXPECT_LT(std::llabs(millisecondsOf(converted) - millisecondsOf(local)), 5000);

  // A known moment: 2024-02-29 13:14:15.678 UTC, a Thursday.
  const uint64_t leapDay = (1709212455ULL + 11644473600ULL) * 10000000ULL + 6789999;
  const FILETIME fileTime{static_cast<DWORD>(leapDay), static_cast<DWORD>(leapDay >> 32)};
  ASSERT_TRUE(FileTimeToSystemTime(&fileTime, &converted));
  EXPECT_EQ(converted.wYear, 2024);
  EXPECT_EQ(converted.wMonth, 2);
  EXPECT_EQ(converted.wDay, 29);
  EXPECT_EQ(converted.wDayOfWeek, 4);
  EXPECT_EQ(converted.wHour, 13);
  EXPECT_EQ(converted.wMinute, 14);
  EXPECT_EQ(converted.wSecond, 15);
  EXPECT_EQ(converted.wMilliseconds, 678);

  const FILETIME beyond{0xFFFFFFFF, 0xFFFFFFFF};
  EXPECT_FALSE(FileTimeToSystemTime(&beyond, &converted)) << "a time no SYSTEMTIME holds is refused";
}

// --- The runtime's stand-ins.

TEST(RuntimeStandIns, DebuggerOutputGoesToStandardError) {
  ::testing::internal::CaptureStderr();
  OutputDebugStringA("CxLog has destroy!");
  OutputDebugStringA(nullptr);
  EXPECT_EQ(::testing::internal::GetCapturedStderr(), "CxLog has destroy!");
}

TEST(RuntimeStandIns, ComponentInitialisationSucceeds) {
  EXPECT_TRUE(SUCCEEDED(CoInitialize(nullptr)));
  CoUninitialize();
}

TEST(RuntimeStandIns, MessageBoxWithoutToolkitWritesAndAnswersOk) {
  ::testing::internal::CaptureStderr();
  EXPECT_EQ(MessageBoxA(nullptr, "Create thread fail!", "WorkerThread", MB_OK), IDOK);
  const std::string written = ::testing::internal::GetCapturedStderr();
  EXPECT_NE(written.find("WorkerThread"), std::string::npos);
  EXPECT_NE(written.find("Create thread fail!"), std::string::npos);
  EXPECT_FALSE(IsWindow(nullptr));
  SetLastError(0);
  EXPECT_FALSE(PostMessageA(nullptr, WM_USER + 202, 1, 0));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_WINDOW_HANDLE));
}

TEST(AssertionDeathTest, NamesTheExpressionSourceAndLineThenEnds) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  const char* szDest = nullptr;
  EXPECT_DEATH(if (!szDest) _assert("szDest", "cxComm", 276), "Assertion failed: szDest, file cxComm, line 276\n");
}

}  // namespace
