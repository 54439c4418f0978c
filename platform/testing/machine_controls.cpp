// The clock, serial devices, lock folder and device announcements that tests
// give the platform in place of the machine's.
#include <atomic>
#include <ctime>
#include <mutex>

#include <kestrix/platform_testing.h>

#include "machine_sources.h"
#include "network_connector.h"
#include "network_redial.h"

namespace {

std::atomic<int64_t> g_clockOffset{0};

int64_t movedClock() { return platform::systemRealtime() + g_clockOffset.load(std::memory_order_relaxed); }

std::mutex g_devicesLock;
std::vector<platform::SerialDevice> g_devices;

void listTheseDevices(std::vector<platform::SerialDevice> devices) {
  {
    std::lock_guard<std::mutex> guard(g_devicesLock);
    g_devices = std::move(devices);
  }
  platform::useSerialDeviceLister([] {
    std::lock_guard<std::mutex> guard(g_devicesLock);
    return g_devices;
  });
}

}  // namespace

void SetLocalClockForTesting(const SYSTEMTIME* now) {
  if (now == nullptr) {
    platform::useRealtimeClock(nullptr);
    return;
  }
  tm local{};
  local.tm_year = now->wYear - 1900;
  local.tm_mon = now->wMonth - 1;
  local.tm_mday = now->wDay;
  local.tm_hour = now->wHour;
  local.tm_min = now->wMinute;
  local.tm_sec = now->wSecond;
  local.tm_isdst = -1;
  const int64_t wanted =
      static_cast<int64_t>(mktime(&local)) * 1000000000 + static_cast<int64_t>(now->wMilliseconds) * 1000000;
  g_clockOffset.store(wanted - platform::systemRealtime());
  platform::useRealtimeClock(&movedClock);
}

void ExcludeSystemSerialDevicesForTesting(bool exclude) {
  if (exclude)
    listTheseDevices({});
  else
    platform::useSerialDeviceLister({});
}

void SetSerialDevicesForTesting(const SerialDeviceForTesting* devices, size_t count) {
  std::vector<platform::SerialDevice> listed;
  for (size_t i = 0; i < count; ++i)
    listed.push_back({devices[i].identity, devices[i].node, devices[i].description ? devices[i].description : ""});
  listTheseDevices(std::move(listed));
}

void SimulateDeviceEventForTesting() { platform::announceDeviceChange(); }

void SetUucpLockFolderForTesting(const char* folder) {
  platform::useUucpLockFolders(folder ? std::vector<std::string>{folder} : std::vector<std::string>{});
}

void SetNetworkConnectTimeForTesting(DWORD milliseconds) {
  platform::useNetworkConnectTime(std::chrono::milliseconds(milliseconds));
}

void ForgetNetworkRedialsForTesting() { platform::forgetRedials(); }
