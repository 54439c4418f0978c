// ShellExecuteA's "open" hands the path to the desktop's opener without
// waiting for it, and says when there is nothing to open or no opener.
#include <windows.h>

#include <gtest/gtest.h>
#include <stdlib.h>

#include <cstdint>

#include "../support/temp_folder.h"

namespace {

intptr_t Open(const char* Path, const char* Verb = "open") {
  return reinterpret_cast<intptr_t>(ShellExecuteA(nullptr, Verb, Path, nullptr, nullptr, SW_SHOWNORMAL));
}

TEST(ShellExecute, OpensWhatExistsAndSaysWhyItCannot) {
  TempFolder temp;
  setenv("KESTRIX_OPENER", "true", 1);
  EXPECT_GT(Open(temp.path().c_str()), 32);
  EXPECT_EQ(Open((temp / "missing").c_str()), SE_ERR_FNF);
  EXPECT_EQ(Open(temp.path().c_str(), "print"), SE_ERR_ACCESSDENIED);
  setenv("KESTRIX_OPENER", "kestrix-no-such-opener", 1);
  EXPECT_EQ(Open(temp.path().c_str()), SE_ERR_NOASSOC);
  unsetenv("KESTRIX_OPENER");
}

}  // namespace
