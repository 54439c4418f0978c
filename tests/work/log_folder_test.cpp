// Where the log goes: beside the executable while that folder can be
// written, otherwise kestrix/Log/ in the user's state folder.
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "../support/temp_folder.h"
#include "cxLogFolder.h"

namespace {

namespace fs = std::filesystem;

class LogFolderChoice : public ::testing::Test {
 protected:
  void SetUp() override {
    if (const char* state = std::getenv("XDG_STATE_HOME")) savedState_ = state;
    setenv("XDG_STATE_HOME", state_.path().c_str(), 1);
  }
  void TearDown() override {
    if (savedState_.empty())
      unsetenv("XDG_STATE_HOME");
    else
      setenv("XDG_STATE_HOME", savedState_.c_str(), 1);
  }

  std::string Choose(const std::string& executableFolder, const std::string& installedFolder = "/usr/bin/") {
    char folder[MAX_PATH] = {};
    EXPECT_TRUE(ChooseLogFolder(executableFolder.c_str(), installedFolder.c_str(), folder, sizeof folder));
    return folder;
  }
  std::string StateLogFolder() const { return state_.Slashed() + "kestrix/Log/"; }

  TempFolder program_;
  TempFolder state_;
  std::string savedState_;
};

TEST_F(LogFolderChoice, ABuildOrPortableCopyLogsBesideItselfWithOrWithoutTheFolderYet) {
  EXPECT_EQ(Choose(program_.Slashed()), program_.Slashed() + "Log/");
  EXPECT_TRUE(fs::is_empty(program_.path()));  // the probe left nothing behind
  fs::create_directory(program_ / "Log");
  EXPECT_EQ(Choose(program_.Slashed()), program_.Slashed() + "Log/");
  EXPECT_TRUE(fs::is_empty(program_ / "Log"));
}

TEST_F(LogFolderChoice, AnInstalledProgramLogsInTheUsersStateFolder) {
  // A folder that is not there stands for one the user cannot write (the
  // tests may run as root, who can write anywhere).
  EXPECT_EQ(Choose("/nonexistent-kestrix/bin/"), StateLogFolder());
  // "Log" beside the program is a file, not a folder.
  std::ofstream(program_ / "Log") << "x";
  EXPECT_EQ(Choose(program_.Slashed()), StateLogFolder());
}

TEST_F(LogFolderChoice, AProgramInItsInstalledFolderLogsInTheStateFolderEvenWhenItCouldWriteThere) {
  // As root runs the package's /usr/bin/kestrix: nothing may appear there.
  EXPECT_EQ(Choose(program_.Slashed(), program_.Slashed()), StateLogFolder());
  EXPECT_TRUE(fs::is_empty(program_.path()));
  fs::create_directory(program_ / "Log");
  EXPECT_EQ(Choose(program_.Slashed(), program_.Slashed()), StateLogFolder());
}

TEST_F(LogFolderChoice, AFolderTheUserCannotWriteSendsTheLogToTheStateFolder) {
  if (::geteuid() == 0) GTEST_SKIP() << "root writes any folder";
  fs::permissions(program_.path(), fs::perms::owner_read | fs::perms::owner_exec);
  EXPECT_EQ(Choose(program_.Slashed()), StateLogFolder());
  fs::permissions(program_.path(), fs::perms::owner_all);
  fs::create_directory(program_ / "Log");
  fs::permissions(program_ / "Log", fs::perms::owner_read | fs::perms::owner_exec);
  EXPECT_EQ(Choose(program_.Slashed()), StateLogFolder());
  fs::permissions(program_ / "Log", fs::perms::owner_all);
}

TEST_F(LogFolderChoice, TheStateFolderIsMadeWithItsParentsWhenTheLogStarts) {
  const std::string folder = Choose("/nonexistent-kestrix/bin/");
  EXPECT_FALSE(fs::exists(folder));
  EXPECT_TRUE(MakeLogFolder(folder.c_str()));
  EXPECT_TRUE(fs::is_directory(folder));
  EXPECT_TRUE(MakeLogFolder(folder.c_str()));  // already there
  std::ofstream(program_ / "Log") << "x";
  EXPECT_FALSE(MakeLogFolder((program_.Slashed() + "Log/").c_str()));
}

TEST_F(LogFolderChoice, AFolderPathTooLongForTheFileNameIsNotChosen) {
  const std::string deep = "/" + std::string(MAX_PATH - 12, 'x') + "/";
  char folder[MAX_PATH] = {};
  setenv("XDG_STATE_HOME", ("/" + std::string(MAX_PATH - 5, 's')).c_str(), 1);
  EXPECT_FALSE(ChooseLogFolder(deep.c_str(), "/usr/bin/", folder, sizeof folder));
}

}  // namespace
