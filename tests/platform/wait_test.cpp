#include <windows.h>

#include <gtest/gtest.h>

namespace {

TEST(WaitForMultipleObjects, ReportsLowestSignalledIndexAndConsumesOnlyIt) {
  HANDLE first = CreateEventA(nullptr, FALSE, FALSE, nullptr);
  HANDLE second = CreateEventA(nullptr, FALSE, FALSE, nullptr);
  HANDLE both[] = {first, second};
  SetEvent(second);
  SetEvent(first);
  EXPECT_EQ(WaitForMultipleObjects(2, both, FALSE, 0), WAIT_OBJECT_0);
  EXPECT_EQ(WaitForMultipleObjects(2, both, FALSE, 0), WAIT_OBJECT_0 + 1);
  EXPECT_EQ(WaitForMultipleObjects(2, both, FALSE, 0), static_cast<DWORD>(WAIT_TIMEOUT));
  CloseHandle(first);
  CloseHandle(second);
}

}  // namespace
