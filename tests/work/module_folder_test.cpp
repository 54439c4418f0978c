// The folder of the executable's module path, which the log folder beside
// the executable is made from: Windows paths have backslashes, Linux paths
// slashes, and Windows accepts either.
#include <gtest/gtest.h>

#include "Assertion.h"
#include "cxLog.h"
#include "cxLogFolder.h"

namespace {

TEST(ModuleFolder, EndsAtTheLastSeparatorOfEitherKind) {
  EXPECT_EQ(ModuleFolder("C:\\Program Files\\Kestrix\\kestrix.exe"), "C:\\Program Files\\Kestrix\\");
  EXPECT_EQ(ModuleFolder("/usr/bin/kestrix"), "/usr/bin/");
  EXPECT_EQ(ModuleFolder("C:/portable\\copy/kestrix.exe"), "C:/portable\\copy/");
  EXPECT_EQ(ModuleFolder("C:\\tools/kestrix.exe"), "C:\\tools/");
  EXPECT_EQ(ModuleFolder("\\\\server\\share\\kestrix.exe"), "\\\\server\\share\\");
}

TEST(ModuleFolder, APathWithoutAFolderGivesNone) {
  EXPECT_EQ(ModuleFolder("kestrix.exe"), "");
  EXPECT_EQ(ModuleFolder(""), "");
}

// The log's records go where this program's module is, whichever
// separators the system's module path has.
TEST(ModuleFolder, TheLogFolderIsBesideThisProgram) {
  char modulePath[MAX_PATH];
  const DWORD length = GetModuleFileNameA(nullptr, modulePath, MAX_PATH);
  ASSERT_GT(length, 0u);
  ASSERT_LT(length, static_cast<DWORD>(MAX_PATH));
  const std::string folder = ModuleFolder(modulePath);
  ASSERT_FALSE(folder.empty()) << modulePath;
  EXPECT_EQ(std::string(CxLog::LogFolder()), folder + "Log/");
}

TEST(AssertAt, ATrueExpressionDoesNothing) {
  const char* present = "x";
  ASSERT_AT(present, "cxComm", 277);
  SUCCEED();
}

}  // namespace
