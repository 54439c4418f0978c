// Why a port did not open, in words for the user: the second line of the
// "不能打开" box and the log's record of the failure.
#pragma once

#include <windows.h>

#include <SerialOpenReport.h>
#include <toolkit/toolkit.h>

// Error is GetLastError() after the failed open; Report what the open found
// out about the device and whoever holds it.
String OpenFailureCause(DWORD Error, const SERIAL_OPEN_REPORT& Report);

// The same for the calling thread's last port open.
String OpenFailureCause(DWORD Error);

// The cause when the port is this program's own, held by the other panel.
String OtherPanelHoldsThePort();

// Writes "不能打开 <port text>：<cause>" to the log, then the open's remark
// as LogOpenRemark does.
void LogOpenFailure(const String& PortText, const String& Cause);

// Logs what the last open had to remark (a port opened without a lock
// file, a lock's name taken by a FIFO), if anything.
void LogOpenRemark(const String& PortText);
