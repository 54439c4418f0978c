// GlobalMemoryStatusEx: what the kernel says of the machine's memory.
#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include <windows.h>

namespace {

TEST(MemoryStatus, TellsTheMachinesMemoryAsTheKernelCountsItAndRefusesAWrongSize) {
  MEMORYSTATUSEX status{};
  status.dwLength = sizeof status;
  ASSERT_TRUE(GlobalMemoryStatusEx(&status));
  std::ifstream meminfo("/proc/meminfo");
  std::string name;
  unsigned long long kib = 0;
  ASSERT_TRUE(meminfo >> name >> kib);
  ASSERT_EQ(name, "MemTotal:");
  EXPECT_EQ(status.ullTotalPhys, kib * 1024);
  EXPECT_GT(status.ullAvailPhys, 0u);
  EXPECT_LE(status.ullAvailPhys, status.ullTotalPhys);
  EXPECT_LE(status.dwMemoryLoad, 100u);
  EXPECT_GE(status.ullTotalPageFile, status.ullTotalPhys);

  MEMORYSTATUSEX wrong{};
  wrong.dwLength = sizeof wrong - 1;
  EXPECT_FALSE(GlobalMemoryStatusEx(&wrong));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
  EXPECT_FALSE(GlobalMemoryStatusEx(nullptr));
}

}  // namespace
