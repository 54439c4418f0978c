// Why a port did not open, in words for the user: the second line of the
// "不能打开" box (in the window's language) and the log's record of the
// failure (as written).
#pragma once

#include <windows.h>

#include <SerialOpenReport.h>
#include <toolkit/toolkit.h>

// Error is GetLastError() after the failed open; Report what the open found
// out about the device and whoever holds it.
TrMessage OpenFailureCause(DWORD Error, const SERIAL_OPEN_REPORT& Report);

// The same for the calling thread's last port open.
TrMessage OpenFailureCause(DWORD Error);

// The cause when the port is this program's own, held by the other panel.
TrMessage OtherPanelHoldsThePort();

// Writes "不能打开 <port text>：<cause>" to the log, then the open's remark
// as LogOpenRemark does.
void LogOpenFailure(const String& PortText, const TrMessage& Cause);

// Logs what the last open had to remark (a port opened without a lock
// file, a lock's name taken by a FIFO), if anything.
void LogOpenRemark(const String& PortText);
