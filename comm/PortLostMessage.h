// The message by which a channel tells its window that the device of its
// open port has gone (unplugged, or the far end hung up). Posted like the
// received-data message; wParam is the port number, lParam 0. The window
// may then close the port: every byte received before the loss is handed on
// by the close.
#pragma once

#include <windows.h>

inline constexpr UINT kPortLostMessage = WM_USER + 203;  // 1227
