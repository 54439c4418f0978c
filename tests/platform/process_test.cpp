// Child processes on pipes: what a file transfer needs to run a protocol
// program with its standard input and output joined to the program's
// own threads. The children are the system's own sh and cat.
#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <string>

#include "../support/temp_folder.h"

namespace {

struct Pipe {
  Pipe() { EXPECT_TRUE(CreatePipe(&read, &write, nullptr, 0)); }
  ~Pipe() {
    CloseRead();
    CloseWrite();
  }
  void CloseRead() {
    if (read != nullptr) CloseHandle(read);
    read = nullptr;
  }
  void CloseWrite() {
    if (write != nullptr) CloseHandle(write);
    write = nullptr;
  }
  HANDLE read = nullptr;
  HANDLE write = nullptr;
};

// Starts the command line with its standard input and output on the given
// handles (null: none) and its errors on its output.
PROCESS_INFORMATION Start(std::string line, HANDLE in, HANDLE out, const char* folder = nullptr) {
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = in;
  startup.hStdOutput = out;
  startup.hStdError = out;
  PROCESS_INFORMATION process{};
  EXPECT_TRUE(CreateProcessA(nullptr, line.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW, nullptr, folder, &startup,
                             &process))
      << GetLastError();
  return process;
}

// Everything the pipe gives until its writers have all gone.
std::string ReadToEnd(HANDLE pipe) {
  std::string all;
  char buffer[4096];
  DWORD count = 0;
  while (ReadFile(pipe, buffer, sizeof buffer, &count, nullptr)) all.append(buffer, count);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_BROKEN_PIPE));
  return all;
}

DWORD EndOf(PROCESS_INFORMATION& process) {
  EXPECT_EQ(WaitForSingleObject(process.hProcess, 10000), WAIT_OBJECT_0);
  DWORD code = 12345;
  EXPECT_TRUE(GetExitCodeProcess(process.hProcess, &code));
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return code;
}

TEST(ChildProcess, EveryByteValueGoesThroughAChildAndBackAndItsEndIsTold) {
  Pipe toChild, fromChild;
  PROCESS_INFORMATION cat = Start("cat", toChild.read, fromChild.write);
  // The parent's copies of the child's ends: once they go, the child's end
  // of input and our end of its output are the child's alone.
  toChild.CloseRead();
  fromChild.CloseWrite();
  std::string sent;
  for (int round = 0; round < 300; ++round)
    for (int value = 0; value < 256; ++value) sent += static_cast<char>(value);
  DWORD written = 0;
  ASSERT_TRUE(WriteFile(toChild.write, sent.data(), 4096, &written, nullptr));
  // What the child echoed can be looked at without being taken.
  DWORD peeked = 0, available = 0;
  char look[16];
  ASSERT_TRUE(WaitForSingleObject(cat.hProcess, 0) == static_cast<DWORD>(WAIT_TIMEOUT));
  for (int i = 0; i < 500 && available == 0; ++i) {
    ASSERT_TRUE(PeekNamedPipe(fromChild.read, look, sizeof look, &peeked, &available, nullptr));
    if (available == 0) Sleep(10);
  }
  ASSERT_GT(available, 0u);
  EXPECT_EQ(std::string(look, peeked), sent.substr(0, peeked));
  ASSERT_TRUE(WriteFile(toChild.write, sent.data() + 4096, static_cast<DWORD>(sent.size() - 4096), &written, nullptr));
  toChild.CloseWrite();
  EXPECT_EQ(ReadToEnd(fromChild.read), sent);
  EXPECT_EQ(EndOf(cat), 0u);
}

TEST(ChildProcess, WordsOfTheCommandLineArriveAsWindowsSplitsThem) {
  Pipe output;
  PROCESS_INFORMATION shell =
      Start(R"(sh -c "printf '[%s]' \"$@\"" sh plain "two words" "quote\"inside" back\\slash "end\\\\" 文件名.bin "")",
            nullptr, output.write);
  output.CloseWrite();
  EXPECT_EQ(ReadToEnd(output.read), "[plain][two words][quote\"inside][back\\\\slash][end\\\\][文件名.bin][]");
  EXPECT_EQ(EndOf(shell), 0u);
}

TEST(ChildProcess, RunsInTheFolderGivenAndGetsNoHandleItWasNotGiven) {
  TempFolder folder;
  Pipe output, unrelated;
  PROCESS_INFORMATION shell = Start("sh -c \"pwd; exec sleep 5\"", nullptr, output.write, folder.path().c_str());
  output.CloseWrite();
  // A pipe the child was not given ends as soon as our end goes, while the
  // child still runs.
  unrelated.CloseWrite();
  char byte;
  DWORD count = 0;
  EXPECT_FALSE(ReadFile(unrelated.read, &byte, 1, &count, nullptr));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_BROKEN_PIPE));
  char line[4096];
  ASSERT_TRUE(ReadFile(output.read, line, sizeof line, &count, nullptr));
  EXPECT_EQ(std::string(line, count), std::filesystem::canonical(folder.path()).string() + "\n");
  // Ended from outside: at once, with the code given, and its pipe ends.
  const DWORD start = GetTickCount();
  EXPECT_TRUE(TerminateProcess(shell.hProcess, 77));
  EXPECT_EQ(ReadToEnd(output.read), "");
  EXPECT_EQ(EndOf(shell), 77u);
  EXPECT_LT(GetTickCount() - start, 2000u);
}

TEST(ChildProcess, AMissingProgramOrABadHandleIsRefusedAndAFailingOneTellsItsCode) {
  std::string line = "kestrix-no-such-program --help";
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  EXPECT_FALSE(CreateProcessA(nullptr, line.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &process));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));

  HANDLE event = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = event;
  line = "true";
  EXPECT_FALSE(CreateProcessA(nullptr, line.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &process));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
  CloseHandle(event);

  PROCESS_INFORMATION failing = Start("sh -c \"exit 3\"", nullptr, nullptr);
  EXPECT_EQ(EndOf(failing), 3u);
}

TEST(SearchPath, FindsAProgramOnThePathAndNotWhatIsNotThere) {
  char found[MAX_PATH];
  LPSTR part = nullptr;
  const DWORD length = SearchPathA(nullptr, "sh", ".exe", sizeof found, found, &part);
  ASSERT_GT(length, 0u);
  EXPECT_EQ(std::string(part), "sh");
  EXPECT_EQ(GetFileAttributesA(found) & FILE_ATTRIBUTE_DIRECTORY, 0u);
  EXPECT_EQ(SearchPathA(nullptr, "kestrix-no-such-program", ".exe", sizeof found, found, nullptr), 0u);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
  EXPECT_EQ(SearchPathA(nullptr, "sh", nullptr, 2, found, nullptr), length + 1) << "the size it needs";
}

TEST(Folders, AListingMovesThatNeverReplaceAndRemoval) {
  TempFolder folder;
  const std::string a = folder / "a.bin", b = folder / "b.bin", sub = folder / "sub";
  HANDLE file = CreateFileA(a.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
  DWORD written = 0;
  WriteFile(file, "abc", 3, &written, nullptr);
  CloseHandle(file);
  CloseHandle(CreateFileA(b.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr));
  ASSERT_TRUE(CreateDirectoryA(sub.c_str(), nullptr));

  std::map<std::string, WIN32_FIND_DATAA> entries;
  WIN32_FIND_DATAA data;
  HANDLE listing = FindFirstFileA((folder / "*").c_str(), &data);
  ASSERT_NE(listing, INVALID_HANDLE_VALUE);
  do entries[data.cFileName] = data;
  while (FindNextFileA(listing, &data));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NO_MORE_FILES));
  EXPECT_TRUE(FindClose(listing));
  ASSERT_EQ(entries.size(), 5u);  // ., .., a.bin, b.bin, sub
  EXPECT_EQ(entries["a.bin"].nFileSizeLow, 3u);
  EXPECT_EQ(entries["sub"].dwFileAttributes, static_cast<DWORD>(FILE_ATTRIBUTE_DIRECTORY));

  EXPECT_FALSE(MoveFileExA(a.c_str(), b.c_str(), 0));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
  EXPECT_TRUE(MoveFileExA(a.c_str(), (sub + "/a.bin").c_str(), 0));
  EXPECT_FALSE(RemoveDirectoryA(sub.c_str()));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_DIR_NOT_EMPTY));
  EXPECT_TRUE(DeleteFileA((sub + "/a.bin").c_str()));
  EXPECT_TRUE(RemoveDirectoryA(sub.c_str()));
  EXPECT_EQ(FindFirstFileA((folder / "missing/*").c_str(), &data), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
}

}  // namespace
