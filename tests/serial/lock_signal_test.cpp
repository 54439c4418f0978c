// A signal that ends the program while it takes a lock file leaves no file
// in the lock folder: neither the temporary the lock is written under, nor
// the lock once linked from it. Its own program, as it replaces the C
// library's link to stop the taking between its steps.
#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include <kestrix/platform_testing.h>

#include "uucp_lock.h"

namespace {

// In the child: the signal that link raises (0: none), and whether it
// links first.
int g_signal = 0;
bool g_linkFirst = false;

}  // namespace

extern "C" int link(const char* from, const char* to) {
  if (g_signal != 0 && !g_linkFirst) ::raise(g_signal);
  const int result = ::linkat(AT_FDCWD, from, AT_FDCWD, to, 0);
  if (g_signal != 0 && g_linkFirst) ::raise(g_signal);
  return result;
}

namespace {

namespace fs = std::filesystem;

struct Moment {
  int signal;
  bool linkFirst;
  const char* name;
};

class ASignalWhileALockIsTaken : public ::testing::TestWithParam<Moment> {};

TEST_P(ASignalWhileALockIsTaken, LeavesNoFileInTheLockFolder) {
  char folder[] = "/tmp/kestrix-lock-signal-XXXXXX";
  ASSERT_NE(::mkdtemp(folder), nullptr);
  const pid_t child = ::fork();
  if (child == 0) {
    SetUucpLockFolderForTesting(folder);
    g_signal = GetParam().signal;
    g_linkFirst = GetParam().linkFirst;
    platform::takeUucpLock("/dev/ttyKestrixLockTest");
    ::_exit(0);
  }
  ASSERT_GT(child, 0);
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == GetParam().signal) << "wait status " << status;
  std::vector<std::string> left;
  for (const auto& entry : fs::directory_iterator(folder)) left.push_back(entry.path().filename().string());
  EXPECT_EQ(left, std::vector<std::string>{});
  fs::remove_all(folder);
}

INSTANTIATE_TEST_SUITE_P(Moments, ASignalWhileALockIsTaken,
                         ::testing::Values(Moment{SIGTERM, false, "BeforeTheLink"},
                                           Moment{SIGINT, true, "AfterTheLink"}),
                         [](const ::testing::TestParamInfo<Moment>& info) { return std::string(info.param.name); });

}  // namespace
