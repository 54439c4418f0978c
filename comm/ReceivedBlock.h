// The block of received bytes that a channel posts to its window.
//
// Message kReceivedDataMessage: wParam is the port number, lParam a
// ReceivedBlock allocated with new. From the moment it is posted the block
// belongs to the window, which releases it with delete.
#pragma once

#include <windows.h>

inline constexpr DWORD kReceiveBufferSize = 2048;
inline constexpr UINT kReceivedDataMessage = WM_USER + 202;  // 1226

struct ReceivedBlock {
  DWORD dwCount;  // bytes in Bytes, zero bytes included
  BYTE Bytes[kReceiveBufferSize];
};
