// Appending bytes to a file off the caller's thread: every byte lands in
// order, the queue's limit stops the appender instead of leaving a hole,
// and a file that cannot be made or written stops it with the error.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <thread>

#include "FileAppender.h"

namespace {

namespace fs = std::filesystem;

class FileAppenderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folder = fs::temp_directory_path() / ("kestrix-appender-" + std::to_string(GetCurrentProcessId()) + "-" +
                                          ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::create_directories(folder);
  }
  void TearDown() override { fs::remove_all(folder); }

  std::string path(const std::string& name) const { return (folder / name).string(); }
  static std::string contents(const std::string& file) {
    std::ifstream in(file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }
  static bool eventually(const std::function<bool()>& condition) {
    for (int i = 0; i < 1000; ++i) {
      if (condition()) return true;
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return condition();
  }

  fs::path folder;
};

TEST_F(FileAppenderTest, EveryByteLandsInOrderAndAnOldFileIsReplaced) {
  const std::string file = path("capture.bin");
  std::ofstream(file) << "old contents that must go";
  std::string expected;
  {
    FileAppender appender;
    ASSERT_EQ(appender.Start(file.c_str()), static_cast<DWORD>(ERROR_SUCCESS));
    std::string all;
    for (int value = 0; value < 256; ++value) all += static_cast<char>(value);
    std::mt19937 random(7);
    // Many appends of every size, zero bytes included, some of them empty.
    for (int i = 0; i < 2000; ++i) {
      const size_t length = random() % 700;
      std::string piece;
      for (size_t k = 0; k < length; ++k) piece += all[(i + k) % 256];
      ASSERT_TRUE(appender.Append(piece.data(), static_cast<DWORD>(piece.size())));
      expected += piece;
    }
    ASSERT_TRUE(eventually([&] { return appender.BytesWritten() == expected.size(); }));
    EXPECT_TRUE(appender.Taking());
    EXPECT_EQ(contents(file), expected);  // written while still open
    // What is queued at the end is written before the appender goes.
    ASSERT_TRUE(appender.Append(all.data(), 256));
    expected += all;
  }
  EXPECT_EQ(contents(file), expected);
}

TEST_F(FileAppenderTest, FinishWritesTheRestEndsAndTakesNoMore) {
  const std::string file = path("finish.bin");
  FileAppender appender;
  ASSERT_EQ(appender.Start(file.c_str()), static_cast<DWORD>(ERROR_SUCCESS));
  const std::string bytes(100000, '\0');
  ASSERT_TRUE(appender.Append(bytes.data(), static_cast<DWORD>(bytes.size())));
  appender.Finish();
  EXPECT_FALSE(appender.Taking());
  EXPECT_FALSE(appender.Append("x", 1));
  ASSERT_TRUE(eventually([&] { return appender.Ended(); }));
  EXPECT_EQ(appender.BytesWritten(), bytes.size());
  EXPECT_EQ(contents(file), bytes);
  EXPECT_EQ(appender.Error(), static_cast<DWORD>(ERROR_SUCCESS));
  EXPECT_FALSE(appender.Overflowed());
}

TEST_F(FileAppenderTest, PassingTheQueueLimitStopsWithExactlyWhatCameBefore) {
  const std::string file = path("overflow.bin");
  FileAppender appender(1000);
  ASSERT_EQ(appender.Start(file.c_str()), static_cast<DWORD>(ERROR_SUCCESS));
  ASSERT_TRUE(appender.Append("first", 5));
  const std::string tooMuch(1001, 'x');
  // The appender never waits for room: it refuses and stops.
  EXPECT_FALSE(appender.Append(tooMuch.data(), static_cast<DWORD>(tooMuch.size())));
  EXPECT_TRUE(appender.Overflowed());
  EXPECT_FALSE(appender.Taking());
  EXPECT_FALSE(appender.Append("later", 5));
  ASSERT_TRUE(eventually([&] { return appender.Ended(); }));
  EXPECT_EQ(contents(file), "first");
}

TEST_F(FileAppenderTest, AFullDiskStopsWithItsError) {
  FileAppender appender;
  ASSERT_EQ(appender.Start("/dev/full"), static_cast<DWORD>(ERROR_SUCCESS));
  EXPECT_TRUE(appender.Append("abc", 3));
  ASSERT_TRUE(eventually([&] { return appender.Ended(); }));
  EXPECT_EQ(appender.Error(), static_cast<DWORD>(ERROR_DISK_FULL));
  EXPECT_FALSE(appender.Taking());
  EXPECT_FALSE(appender.Append("d", 1));
  EXPECT_EQ(appender.BytesWritten(), 0u);
}

TEST_F(FileAppenderTest, AFileThatCannotBeMadeIsReportedAndTakesNothing) {
  FileAppender missing;
  EXPECT_EQ(missing.Start(path("no/such/folder/x.bin").c_str()), static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
  EXPECT_FALSE(missing.Append("x", 1));
  EXPECT_TRUE(missing.Ended());

  FileAppender folderAsFile;
  EXPECT_EQ(folderAsFile.Start(folder.string().c_str()), static_cast<DWORD>(ERROR_ACCESS_DENIED));
  EXPECT_FALSE(folderAsFile.Append("x", 1));

  FileAppender notStarted;
  EXPECT_FALSE(notStarted.Append("x", 1));
}

// Pipes are opened by their /dev/fd names, which only the Linux build has;
// the Windows build under Wine runs the tests above.
#ifndef _WIN32

// A pipe whose write end the appender opens by name, as a user's capture
// into a pipe does.
class Pipe {
 public:
  Pipe() {
    if (::pipe(ends_) != 0) ends_[0] = ends_[1] = -1;
  }
  ~Pipe() {
    CloseReader();
    if (ends_[1] >= 0) ::close(ends_[1]);
  }
  std::string WriterName() const { return "/dev/fd/" + std::to_string(ends_[1]); }
  std::string Read(size_t count) {
    std::string bytes(count, '\0');
    const ssize_t got = ::read(ends_[0], bytes.data(), count);
    bytes.resize(got > 0 ? static_cast<size_t>(got) : 0);
    return bytes;
  }
  void CloseReader() {
    if (ends_[0] >= 0) ::close(ends_[0]);
    ends_[0] = -1;
  }

 private:
  int ends_[2];
};

TEST_F(FileAppenderTest, APipeWhoseReaderWentStopsItWithThatErrorAndNothingElse) {
  Pipe pipe;
  FileAppender appender;
  ASSERT_EQ(appender.Start(pipe.WriterName().c_str()), static_cast<DWORD>(ERROR_SUCCESS));
  EXPECT_TRUE(appender.Append("first", 5));
  EXPECT_EQ(pipe.Read(5), "first");
  pipe.CloseReader();
  // Without a reader the write fails; the process goes on.
  EXPECT_TRUE(appender.Append("second", 6));
  ASSERT_TRUE(eventually([&] { return appender.Ended(); }));
  EXPECT_EQ(appender.Error(), static_cast<DWORD>(ERROR_NO_DATA));
  EXPECT_FALSE(appender.Taking());
  EXPECT_EQ(appender.BytesWritten(), 5u);
}

TEST_F(FileAppenderTest, AWriterStuckOnAPipeNobodyReadsIsNotWaitedForWithoutEnd) {
  Pipe pipe;
  auto appender = std::make_unique<FileAppender>();
  ASSERT_EQ(appender->Start(pipe.WriterName().c_str()), static_cast<DWORD>(ERROR_SUCCESS));
  // More than a pipe holds: the writer blocks in its write.
  const std::string bytes(4 << 20, 'x');
  EXPECT_TRUE(appender->Append(bytes.data(), static_cast<DWORD>(bytes.size())));
  EXPECT_FALSE(appender->EndWhileWriting(50));
  EXPECT_FALSE(appender->Ended());
  // Read from again, it writes on and then ends by itself.
  std::thread reader([&] {
    size_t read = 0;
    for (std::string got; read < bytes.size() && !(got = pipe.Read(65536)).empty();) read += got.size();
  });
  EXPECT_TRUE(appender->EndWhileWriting(10000));
  EXPECT_EQ(appender->BytesWritten(), bytes.size());
  reader.join();
}

#endif  // _WIN32

}  // namespace
