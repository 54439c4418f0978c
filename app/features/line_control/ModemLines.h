// DTR and RTS as a panel chooses them, and the text that tells the state of
// a port's modem lines.
#pragma once

#include <windows.h>

#include <toolkit/toolkit.h>

#include "PortMessages.h"

struct ModemLineChoice {
  bool Dtr = true;  // raised, as a port opens
  bool Rts = true;
  bool Pulsing = false;  // both are held low by a reset pulse
  // RTS/CTS flow control drives RTS: the choice of RTS waits, kept, until
  // the flow control is another.
  bool RtsByFlow = false;
};

class cxComm;

// The settings' fRtsControl for the choice: the handshake while flow
// control drives RTS, else RTS raised or dropped as chosen.
DWORD RtsControlOf(const ModemLineChoice& Choice);

// Puts the choice into the open port's settings, so that the driver keeps
// it.
bool ApplyModemLineChoice(cxComm& Port, const ModemLineChoice& Choice);

// "CTS=1 DSR=0 RI=0 DCD=1  DTR=1 RTS=1", or what keeps the lines from
// being read.
String ModemLinesText(HANDLE hComm, const ModemLineChoice& Choice);
