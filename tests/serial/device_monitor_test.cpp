// The device monitor: links made and removed in the ports folder, a ports
// folder that appears later, and udev announcements (simulated) reach the
// listener; changes close together are reported together.
#include <windows.h>

#include <gtest/gtest.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <thread>
#include <vector>

#include <kestrix/device_changes.h>
#include <kestrix/platform_testing.h>
#include <kestrix/window_messaging.h>

#include "port_calls.h"
#include "shared_ports_folder.h"

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

void CountChange(void* context) { ++*static_cast<std::atomic<int>*>(context); }

class DeviceMonitor : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/kestrix-monitor-test-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    root_ = pattern;
    if (const char* home = std::getenv("XDG_CONFIG_HOME")) saved_ = home;
    setenv("XDG_CONFIG_HOME", root_.c_str(), 1);
    ports_ = root_ / "kestrix" / "ports";
  }
  void TearDown() override {
    if (subscription_ != 0) UnsubscribeDeviceChanges(subscription_);
    if (saved_.empty())
      unsetenv("XDG_CONFIG_HOME");
    else
      setenv("XDG_CONFIG_HOME", saved_.c_str(), 1);
    fs::remove_all(root_);
  }

  void Subscribe() { subscription_ = SubscribeDeviceChanges(CountChange, &changes_); }
  // Reports close together are merged by timing, which a loaded machine
  // stretches; what must hold whatever the timing is that a change is
  // reported at least once, and not more often than it had steps. Waits for
  // a report after `before`, then for the reports to settle.
  ::testing::AssertionResult ReportedSince(int before, int mostReports = 1) {
    if (!serial_test::WaitUntil([&] { return changes_.load() > before; }, 10s))
      return ::testing::AssertionFailure() << "no report after " << before;
    const int settled = SettledCount();
    if (settled - before > mostReports)
      return ::testing::AssertionFailure() << "reports: " << settled - before << ", at most " << mostReports;
    return ::testing::AssertionSuccess();
  }
  // The count once no report has come for a while.
  int SettledCount() {
    for (int seen = changes_.load();;) {
      std::this_thread::sleep_for(400ms);
      const int now = changes_.load();
      if (now == seen) return now;
      seen = now;
    }
  }
  void Link(const std::string& name) { fs::create_symlink("/dev/null", ports_ / name); }

  fs::path root_;
  fs::path ports_;
  std::string saved_;
  DWORD subscription_ = 0;
  std::atomic<int> changes_{0};
};

TEST_F(DeviceMonitor, TopLevelWindowsArePostedWmDeviceChangeAndOtherWindowsAreNot) {
  fs::create_directories(ports_);
  std::vector<MSG> heard;
  auto record = [&](HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) -> LRESULT {
    heard.push_back(MSG{hWnd, message, wParam, lParam});
    return 0;
  };
  const HWND form = CreateWindowHandle(
      record, [](HWND) {}, true);
  const HWND child = CreateWindowHandle(record, [](HWND) {});
  std::this_thread::sleep_for(100ms);  // the monitor starts with the form

  Link("COM5");
  EXPECT_TRUE(serial_test::WaitUntil([&] { return DispatchPostedMessage(form) == TRUE; }, 5s));
  EXPECT_FALSE(DispatchPostedMessage(child));
  ASSERT_EQ(heard.size(), 1u);
  EXPECT_EQ(heard[0].hwnd, form);
  EXPECT_EQ(heard[0].message, static_cast<UINT>(WM_DEVICECHANGE));
  EXPECT_EQ(heard[0].wParam, static_cast<WPARAM>(DBT_DEVNODES_CHANGED));
  EXPECT_EQ(heard[0].lParam, 0);
  DestroyWindowHandle(child);
  DestroyWindowHandle(form);
}

TEST_F(DeviceMonitor, LinksMadeAndRemovedInThePortsFolderAreReported) {
  fs::create_directories(ports_);
  Subscribe();
  std::this_thread::sleep_for(100ms);
  EXPECT_EQ(changes_.load(), 0) << "nothing changed yet";

  // A replaced link and a second one, made together: a report, at most one
  // for each step.
  Link("COM3");
  fs::remove(ports_ / "COM3");
  Link("COM3");
  Link("COM4");
  EXPECT_TRUE(ReportedSince(0, 4));

  int before = changes_.load();
  fs::remove(ports_ / "COM4");
  EXPECT_TRUE(ReportedSince(before));

  // A link renamed into place (as tools replace links atomically).
  before = changes_.load();
  fs::create_symlink("/dev/null", ports_ / ".COM5.new");
  fs::rename(ports_ / ".COM5.new", ports_ / "COM5");
  EXPECT_TRUE(ReportedSince(before, 2));
}

TEST_F(DeviceMonitor, APortsFolderMadeLaterIsWatchedFromThenOn) {
  Subscribe();  // neither kestrix nor ports exists yet
  fs::create_directories(root_ / "unrelated");
  std::this_thread::sleep_for(300ms);
  EXPECT_EQ(changes_.load(), 0) << "other folders are no concern";

  fs::create_directories(ports_);
  EXPECT_TRUE(ReportedSince(0, 2));
  int before = changes_.load();
  Link("COM7");
  EXPECT_TRUE(ReportedSince(before));

  // Removed and made again: still watched, also when the new folder comes
  // while the old one's removal is still being followed.
  for (int round = 0; round < 5; ++round) {
    before = changes_.load();
    fs::remove_all(root_ / "kestrix");
    fs::create_directories(ports_);
    Link("COM8");
    EXPECT_TRUE(ReportedSince(before, 4)) << "round " << round;
    before = SettledCount();
    fs::remove(ports_ / "COM8");
    ASSERT_TRUE(ReportedSince(before)) << "round " << round << ": the new folder is not watched";
  }
}

TEST_F(DeviceMonitor, UdevAnnouncementsAreReportedAndNoneComeAfterUnsubscribing) {
  Subscribe();
  SimulateDeviceEventForTesting();
  EXPECT_TRUE(ReportedSince(0));

  UnsubscribeDeviceChanges(subscription_);
  subscription_ = 0;
  SimulateDeviceEventForTesting();
  fs::create_directories(ports_);
  std::this_thread::sleep_for(400ms);
  EXPECT_EQ(changes_.load(), 1);
}

}  // namespace
