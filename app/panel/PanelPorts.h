// Which panel holds which port: process-wide state of the window, shared by
// its two panels (a number one panel holds, also while it waits for its lost
// device, the other cannot open).
#pragma once

#include <windows.h>

#include <map>

extern std::map<int, int> PortToPanel;  // port number -> panel index, one entry per open panel
extern int PanelPort[2];                // the port each panel tried last, -1 when none
extern ULONGLONG PanelSentBytes[2];     // bytes each panel's port took for sending; never reset
extern int TimerTicks;                  // ticks of Timer1 since start
