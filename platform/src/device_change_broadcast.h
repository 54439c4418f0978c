// Top-level windows hear of devices coming and going as WM_DEVICECHANGE with
// DBT_DEVNODES_CHANGED and lParam 0, posted to each of them, as on Windows.
// The platform's device monitor runs while some top-level window exists.
#pragma once

#include <windows.h>

namespace platform {

void topLevelWindowCreated(HWND handle);
// Call without holding the window's lock: it may wait for the monitor's
// listener, which posts to windows.
void topLevelWindowDestroyed(HWND handle);

}  // namespace platform
