// Appending files, files opened as exactly themselves (no link followed, no
// pipe waited on), probe files, file attributes and the user's folders.
#include <windows.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>

#include "../support/temp_folder.h"
#include "../support/unopened_fifo.h"

namespace {

namespace fs = std::filesystem;

std::string contentsOf(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

bool writeText(HANDLE file, const char* text) {
  DWORD written = 0;
  return WriteFile(file, text, static_cast<DWORD>(std::strlen(text)), &written, nullptr) &&
         written == std::strlen(text);
}

HANDLE openAppending(const std::string& path, DWORD flags = FILE_ATTRIBUTE_NORMAL) {
  return CreateFileA(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS, flags,
                     nullptr);
}

HANDLE openExactly(const std::string& path) { return openAppending(path, FILE_FLAG_OPEN_REPARSE_POINT); }

// Sets or clears an environment variable for one test.
class ScopedVariable {
 public:
  ScopedVariable(const char* name, const char* value) : name_(name) {
    if (const char* old = std::getenv(name)) old_ = old;
    if (value)
      setenv(name, value, 1);
    else
      unsetenv(name);
  }
  ~ScopedVariable() {
    if (old_)
      setenv(name_, old_->c_str(), 1);
    else
      unsetenv(name_);
  }

 private:
  const char* name_;
  std::optional<std::string> old_;
};

TEST(AppendAccess, WritersWithTheFileOpenTogetherNeverOverwriteEachOther) {
  TempFolder temp;
  const std::string path = temp / "shared.log";
  std::ofstream(path) << "before\n";
  HANDLE first = openAppending(path);
  HANDLE second = openAppending(path);
  ASSERT_NE(first, INVALID_HANDLE_VALUE);
  ASSERT_NE(second, INVALID_HANDLE_VALUE);
  EXPECT_TRUE(writeText(first, "one\n"));
  EXPECT_TRUE(writeText(second, "two\n"));
  EXPECT_TRUE(writeText(first, "three\n"));
  CloseHandle(first);
  CloseHandle(second);
  EXPECT_EQ(contentsOf(path), "before\none\ntwo\nthree\n");
}

TEST(ExactFile, ALinkIsNeitherFollowedNorReplacedAndItsTargetIsNeitherMadeNorTouched) {
  TempFolder temp;
  const std::string dangling = temp / "dangling.log", target = temp / "target.log";
  fs::create_symlink(temp / "missing.log", dangling);
  EXPECT_EQ(openExactly(dangling), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_CANT_ACCESS_FILE));
  EXPECT_FALSE(fs::exists(temp / "missing.log"));

  std::ofstream(target) << "kept";
  const std::string link = temp / "link.log";
  fs::create_symlink(target, link);
  EXPECT_EQ(openExactly(link), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_CANT_ACCESS_FILE));
  EXPECT_EQ(contentsOf(target), "kept");
  EXPECT_TRUE(fs::is_symlink(link));

  // Without the flag a link is followed, as links are.
  HANDLE followed = openAppending(link);
  ASSERT_NE(followed, INVALID_HANDLE_VALUE);
  EXPECT_TRUE(writeText(followed, "+"));
  CloseHandle(followed);
  EXPECT_EQ(contentsOf(target), "kept+");
}

TEST(ExactFile, APipeIsRefusedAtOnceWithOrWithoutAReader) {
  TempFolder temp;
  const std::string fifo = temp / "202612.log";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  EXPECT_EQ(openExactly(fifo), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
  const int reader = ::open(fifo.c_str(), O_RDONLY | O_NONBLOCK);
  ASSERT_GE(reader, 0);
  EXPECT_EQ(openExactly(fifo), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
  char byte;
  EXPECT_LE(::read(reader, &byte, 1), 0);  // nothing was written into it
  ::close(reader);
}

// Every plain open, with or without the flag: a FIFO is refused at once
// however it is opened (no reader, no writer, through a link), a device is
// refused without being opened, and the memory devices that behave as
// files open.
TEST(PlainFile, APipeOrADeviceIsRefusedWithoutWaitingAndMemoryDevicesOpen) {
  TempFolder temp;
  UnopenedFifo fifo(temp / "pipe");
  ASSERT_TRUE(fifo.Made());
  fs::create_symlink(fifo.Path(), temp / "link");
  for (const std::string& name : {fifo.Path(), temp / "link"}) {
    for (DWORD access :
         std::initializer_list<DWORD>{GENERIC_READ, GENERIC_WRITE, GENERIC_READ | GENERIC_WRITE, FILE_APPEND_DATA}) {
      for (DWORD disposition :
           std::initializer_list<DWORD>{OPEN_EXISTING, OPEN_ALWAYS, CREATE_ALWAYS, TRUNCATE_EXISTING}) {
        SCOPED_TRACE(name + " access " + std::to_string(access) + " disposition " + std::to_string(disposition));
        HANDLE file = INVALID_HANDLE_VALUE;
        DWORD error = 0;
        EXPECT_TRUE(fifo.ReturnsWithin([&] {
          file = CreateFileA(name.c_str(), access, 0, nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
          error = GetLastError();
        }));
        EXPECT_EQ(file, INVALID_HANDLE_VALUE);
        EXPECT_EQ(error, static_cast<DWORD>(ERROR_ACCESS_DENIED));
        if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
      }
    }
  }
  EXPECT_TRUE(fs::is_fifo(fifo.Path()));

  // A terminal is a device: refused before any open could act on it.
  EXPECT_EQ(CreateFileA("/dev/tty", GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr),
            INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
  for (const char* device : {"/dev/null", "/dev/zero", "/dev/urandom"}) {
    HANDLE file = CreateFileA(device, GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    EXPECT_NE(file, INVALID_HANDLE_VALUE) << device;
    CloseHandle(file);
  }
}

// A pipe that already has a reader takes a write-only open (a capture
// feeding another program) without waiting; reading from it is still
// refused, since that would wait for a writer.
TEST(PlainFile, APipeWithAReaderOpensForWritingOnly) {
  TempFolder temp;
  const std::string fifo = temp / "pipe";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  const int reader = ::open(fifo.c_str(), O_RDONLY | O_NONBLOCK);
  ASSERT_GE(reader, 0);
  for (DWORD access : {static_cast<DWORD>(GENERIC_READ), static_cast<DWORD>(GENERIC_READ | GENERIC_WRITE)}) {
    EXPECT_EQ(CreateFileA(fifo.c_str(), access, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr),
              INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
  }
  for (DWORD access : {static_cast<DWORD>(GENERIC_WRITE), static_cast<DWORD>(FILE_APPEND_DATA)}) {
    HANDLE file = CreateFileA(fifo.c_str(), access, 0, nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    EXPECT_TRUE(writeText(file, "x"));
    CloseHandle(file);
    char byte = 0;
    EXPECT_EQ(::read(reader, &byte, 1), 1);
    EXPECT_EQ(byte, 'x');
  }
  ::close(reader);
}

TEST(ExactFile, ARegularFileOpensAndAMissingOneIsMade) {
  TempFolder temp;
  const std::string path = temp / "month.log";
  HANDLE file = openExactly(path);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SUCCESS));
  EXPECT_TRUE(writeText(file, "a"));
  CloseHandle(file);
  file = openExactly(path);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
  EXPECT_TRUE(writeText(file, "b"));  // blocking writes again after the open
  CloseHandle(file);
  EXPECT_EQ(contentsOf(path), "ab");
}

TEST(DeleteOnClose, TheNameGoesAtOnceAndTheHandleStillWrites) {
  TempFolder temp;
  const std::string path = temp / "probe";
  HANDLE probe = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                             FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
  ASSERT_NE(probe, INVALID_HANDLE_VALUE);
  EXPECT_FALSE(fs::exists(path));
  EXPECT_TRUE(writeText(probe, "x"));
  CloseHandle(probe);
  EXPECT_TRUE(fs::is_empty(temp.path()));
}

TEST(FileAttributes, TellFoldersFilesDevicesLinksAndNothing) {
  TempFolder temp;
  std::ofstream(temp / "file") << "x";
  fs::create_symlink(temp / "file", temp / "link");
  EXPECT_EQ(GetFileAttributesA(temp.path().c_str()), static_cast<DWORD>(FILE_ATTRIBUTE_DIRECTORY));
  EXPECT_EQ(GetFileAttributesA((temp / "file").c_str()), static_cast<DWORD>(FILE_ATTRIBUTE_NORMAL));
  EXPECT_EQ(GetFileAttributesA((temp / "link").c_str()),
            static_cast<DWORD>(FILE_ATTRIBUTE_NORMAL | FILE_ATTRIBUTE_REPARSE_POINT));
  EXPECT_EQ(GetFileAttributesA("/dev/null"), static_cast<DWORD>(FILE_ATTRIBUTE_DEVICE));
  EXPECT_EQ(GetFileAttributesA((temp / "missing").c_str()), INVALID_FILE_ATTRIBUTES);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
  EXPECT_EQ(GetFileAttributesA((temp / "missing/inner").c_str()), INVALID_FILE_ATTRIBUTES);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
}

TEST(StateFolder, IsXdgStateHomeWhenAbsoluteOtherwiseInTheHomeFolder) {
  char folder[MAX_PATH];
  {
    ScopedVariable state("XDG_STATE_HOME", "/srv/state/");
    ASSERT_EQ(SHGetFolderPathA(nullptr, CSIDL_LOCAL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, folder), S_OK);
    EXPECT_STREQ(folder, "/srv/state");
  }
  ScopedVariable home("HOME", "/home/ada");
  for (const char* ignored : {"relative/state", "", static_cast<const char*>(nullptr)}) {
    ScopedVariable state("XDG_STATE_HOME", ignored);
    ASSERT_EQ(SHGetFolderPathA(nullptr, CSIDL_LOCAL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, folder), S_OK);
    EXPECT_STREQ(folder, "/home/ada/.local/state") << (ignored ? ignored : "unset");
  }
  EXPECT_EQ(SHGetFolderPathA(nullptr, 0x0005, nullptr, SHGFP_TYPE_CURRENT, folder), E_INVALIDARG);
  const std::string tooLong = "/" + std::string(MAX_PATH, 'x');
  ScopedVariable state("XDG_STATE_HOME", tooLong.c_str());
  EXPECT_EQ(SHGetFolderPathA(nullptr, CSIDL_LOCAL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, folder), E_FAIL);
}

TEST(CreateFolderPath, MakesEveryMissingLevelAndSaysWhatStoodInTheWay) {
  TempFolder temp;
  const std::string nested = temp / "state/kestrix/Log/";
  EXPECT_EQ(SHCreateDirectoryExA(nullptr, nested.c_str(), nullptr), ERROR_SUCCESS);
  EXPECT_TRUE(fs::is_directory(nested));
  EXPECT_EQ(fs::status(temp / "state").permissions(), fs::perms::owner_all);
  EXPECT_EQ(SHCreateDirectoryExA(nullptr, nested.c_str(), nullptr), ERROR_ALREADY_EXISTS);

  std::ofstream(temp / "file") << "x";
  EXPECT_EQ(SHCreateDirectoryExA(nullptr, (temp / "file/inner").c_str(), nullptr), ERROR_PATH_NOT_FOUND);
  EXPECT_EQ(SHCreateDirectoryExA(nullptr, (temp / "file").c_str(), nullptr), ERROR_FILE_EXISTS);
  EXPECT_EQ(SHCreateDirectoryExA(nullptr, "relative/folder", nullptr), ERROR_BAD_PATHNAME);
}

}  // namespace
