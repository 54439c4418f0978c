#include "device_change_broadcast.h"

#include <kestrix/device_changes.h>

#include <mutex>
#include <set>
#include <vector>

namespace platform {
namespace {

// Lock order: g_subscriptionMutex, then the monitor's own lock, then
// g_windowsMutex (which the listener takes on the monitor's thread).
std::mutex g_subscriptionMutex;
DWORD g_subscription = 0;
std::mutex g_windowsMutex;
std::set<HWND> g_topLevelWindows;

// On the device monitor's thread.
void PostDeviceChange(void*) { postToTopLevelWindows(WM_DEVICECHANGE, DBT_DEVNODES_CHANGED, 0); }

}  // namespace

int postToTopLevelWindows(UINT message, WPARAM wParam, LPARAM lParam) {
  std::vector<HWND> windows;
  {
    std::lock_guard<std::mutex> lock(g_windowsMutex);
    windows.assign(g_topLevelWindows.begin(), g_topLevelWindows.end());
  }
  // A window that went meanwhile refuses the post.
  int posted = 0;
  for (HWND window : windows)
    if (PostMessageA(window, message, wParam, lParam)) ++posted;
  return posted;
}

void topLevelWindowCreated(HWND handle) {
  std::lock_guard<std::mutex> subscriptionLock(g_subscriptionMutex);
  {
    std::lock_guard<std::mutex> lock(g_windowsMutex);
    g_topLevelWindows.insert(handle);
  }
  if (g_subscription == 0) g_subscription = SubscribeDeviceChanges(PostDeviceChange, nullptr);
}

void topLevelWindowDestroyed(HWND handle) {
  std::lock_guard<std::mutex> subscriptionLock(g_subscriptionMutex);
  {
    std::lock_guard<std::mutex> lock(g_windowsMutex);
    if (g_topLevelWindows.erase(handle) == 0 || !g_topLevelWindows.empty()) return;
  }
  // The monitor waits for a running listener, which needs only
  // g_windowsMutex.
  if (g_subscription != 0) UnsubscribeDeviceChanges(g_subscription);
  g_subscription = 0;
}

}  // namespace platform
