// DTR and RTS as a panel chooses them, and the text that tells the state of
// a port's modem lines.
#pragma once

#include <windows.h>

#include <toolkit/toolkit.h>

// Window messages that a port's watcher posts to its notify window when a
// modem line changes; wParam is the port number.
inline constexpr UINT kCtsChangedMessage = WM_USER + 619;   // 1643, lParam 1 when CTS is on
inline constexpr UINT kDsrChangedMessage = WM_USER + 621;   // 1645, lParam 1 when DSR is on
inline constexpr UINT kRingMessage = WM_USER + 623;         // 1647
inline constexpr UINT kRlsdChangedMessage = WM_USER + 624;  // 1648

inline bool IsModemLineMessage(UINT Msg) {
  return Msg == kCtsChangedMessage || Msg == kDsrChangedMessage || Msg == kRingMessage || Msg == kRlsdChangedMessage;
}

struct ModemLineChoice {
  bool Dtr = true;  // raised, as a port opens
  bool Rts = true;
  bool Pulsing = false;  // both are held low by a reset pulse
};

class cxComm;

// Puts the choice into the open port's settings, so that the driver keeps
// it.
bool ApplyModemLineChoice(cxComm& Port, const ModemLineChoice& Choice);

// "CTS=1 DSR=0 RI=0 DCD=1  DTR=1 RTS=1", or what keeps the lines from
// being read.
String ModemLinesText(HANDLE hComm, const ModemLineChoice& Choice);
