// Flow control of a port: none, hardware (RTS/CTS) or software (XON/XOFF).
#pragma once

#include "ModemLines.h"

class cxComm;

enum class FlowControl { None, RtsCts, XonXoff };

constexpr int kFlowControlCount = 3;

// Puts the flow control into the open port's settings, keeping the rest as
// the port was opened; RTS follows Lines (whose RtsByFlow must say whether
// the flow is RTS/CTS). False when the port refuses them.
bool ApplyFlowControl(cxComm& Port, FlowControl Flow, const ModemLineChoice& Lines);

// The name the choice is remembered by ("none", "rtscts", "xonxoff").
const char* FlowControlKey(FlowControl Flow);
