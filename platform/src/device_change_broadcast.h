// The top-level windows, and what is posted to all of them as on Windows:
// devices coming and going as WM_DEVICECHANGE with DBT_DEVNODES_CHANGED and
// lParam 0, and the session's end. The platform's device monitor runs while
// some top-level window exists.
#pragma once

#include <windows.h>

namespace platform {

void topLevelWindowCreated(HWND handle);
// Call without holding the window's lock: it may wait for the monitor's
// listener, which posts to windows.
void topLevelWindowDestroyed(HWND handle);

// Posts the message to every top-level window; how many took it.
int postToTopLevelWindows(UINT message, WPARAM wParam, LPARAM lParam);

}  // namespace platform
