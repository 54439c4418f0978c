// Top-level windows hear of devices coming and going as WM_DEVICECHANGE with
// DBT_DEVNODES_CHANGED and lParam 0, posted to each of them, as on Windows.
// The platform's device monitor runs while some top-level window exists.
#pragma once

#include <windows.h>

void TopLevelWindowCreated(HWND handle);
void TopLevelWindowDestroyed(HWND handle);
