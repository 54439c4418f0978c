// Every window message a port posts to its window, in one place. wParam is
// always the port number.
//
// A channel (ReadData) posts the received bytes and the loss of the device;
// a port's watcher (cxComm's default event slots) posts its events when a
// notify window is set. The numbers are those the program has always used,
// so that windows written against them keep working.
#pragma once

#include <windows.h>

// A channel's messages.
inline constexpr UINT kReceivedDataMessage = WM_USER + 202;  // 1226, lParam a ReceivedBlock (ReceivedBlock.h)
inline constexpr UINT kPortLostMessage = WM_USER + 203;      // 1227, lParam 0

// A watcher's messages, one for each port event.
inline constexpr UINT kRxCharMessage = WM_USER + 618;       // 1642, bytes have arrived
inline constexpr UINT kCtsChangedMessage = WM_USER + 619;   // 1643, lParam 1 when CTS is on
inline constexpr UINT kDsrChangedMessage = WM_USER + 621;   // 1645, lParam 1 when DSR is on
inline constexpr UINT kRingMessage = WM_USER + 623;         // 1647
inline constexpr UINT kRlsdChangedMessage = WM_USER + 624;  // 1648
inline constexpr UINT kBreakMessage = WM_USER + 625;        // 1649
inline constexpr UINT kTxEmptyMessage = WM_USER + 626;      // 1650
inline constexpr UINT kCommErrorMessage = WM_USER + 627;    // 1651, lParam the error flags

// Whether a message is one a port's watcher posts when a modem line changes.
inline bool IsModemLineMessage(UINT Msg) {
  return Msg == kCtsChangedMessage || Msg == kDsrChangedMessage || Msg == kRingMessage || Msg == kRlsdChangedMessage;
}
