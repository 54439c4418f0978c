// The device monitor: links made and removed in the ports folder, a ports
// folder that appears later, and udev announcements (simulated) reach the
// listener, changes close together once.
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
  // Waits for the count to reach `expected`, then for a quiet time in which
  // no further report may come.
  ::testing::AssertionResult ReportedExactly(int expected) {
    if (!serial_test::WaitUntil([&] { return changes_.load() >= expected; }, 5s))
      return ::testing::AssertionFailure() << "reports: " << changes_.load() << ", expected " << expected;
    std::this_thread::sleep_for(500ms);
    if (changes_.load() != expected)
      return ::testing::AssertionFailure() << "reports: " << changes_.load() << ", expected " << expected;
    return ::testing::AssertionSuccess();
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

TEST_F(DeviceMonitor, LinksMadeAndRemovedInThePortsFolderAreReportedOnceForEachBurst) {
  fs::create_directories(ports_);
  Subscribe();
  std::this_thread::sleep_for(100ms);
  EXPECT_EQ(changes_.load(), 0) << "nothing changed yet";

  // A replaced link and a second one, made together: one report.
  Link("COM3");
  fs::remove(ports_ / "COM3");
  Link("COM3");
  Link("COM4");
  EXPECT_TRUE(ReportedExactly(1));

  fs::remove(ports_ / "COM4");
  EXPECT_TRUE(ReportedExactly(2));

  // A link renamed into place (as tools replace links atomically).
  fs::create_symlink("/dev/null", ports_ / ".COM5.new");
  fs::rename(ports_ / ".COM5.new", ports_ / "COM5");
  EXPECT_GE(changes_.load(), 2);
  EXPECT_TRUE(ReportedExactly(3));
}

TEST_F(DeviceMonitor, APortsFolderMadeLaterIsWatchedFromThenOn) {
  Subscribe();  // neither kestrix nor ports exists yet
  fs::create_directories(root_ / "unrelated");
  std::this_thread::sleep_for(300ms);
  EXPECT_EQ(changes_.load(), 0) << "other folders are no concern";

  fs::create_directories(ports_);
  EXPECT_TRUE(ReportedExactly(1));
  Link("COM7");
  EXPECT_TRUE(ReportedExactly(2));

  // Removed and made again: still watched.
  fs::remove_all(root_ / "kestrix");
  EXPECT_TRUE(ReportedExactly(3));
  fs::create_directories(ports_);
  Link("COM8");
  EXPECT_TRUE(ReportedExactly(4));
}

TEST_F(DeviceMonitor, UdevAnnouncementsAreReportedAndNoneComeAfterUnsubscribing) {
  Subscribe();
  SimulateDeviceEventForTesting();
  EXPECT_TRUE(ReportedExactly(1));

  UnsubscribeDeviceChanges(subscription_);
  subscription_ = 0;
  SimulateDeviceEventForTesting();
  fs::create_directories(ports_);
  std::this_thread::sleep_for(400ms);
  EXPECT_EQ(changes_.load(), 1);
}

}  // namespace
