// What opening a port found out beyond GetLastError(): which process holds
// a port that is in use, and a remark worth logging about a port that did
// open. The Linux platform layer answers this through its export
// GetLastSerialOpenReport; Windows has no such call, so it is looked up by
// name, and where it is missing the report is empty and the cause comes
// from the error code alone.
#pragma once

#include <windows.h>

#ifndef SERIAL_OPEN_REPORT_DEFINED
#define SERIAL_OPEN_REPORT_DEFINED
typedef struct _SERIAL_OPEN_REPORT {
  DWORD dwHolderProcessId;   // the process holding the port; 0 when not known
  CHAR szHolderProgram[64];  // its program name; "" when not known
  CHAR szDevice[256];        // the device the port name stood for; "" when none
  CHAR szRemark[256];        // e.g. why an open port has no lock file; "" when none
  BOOL bInUse;               // refused because another handle or program holds the port
} SERIAL_OPEN_REPORT;
#endif

// The report of the calling thread's last port open; all empty where the
// system keeps none.
SERIAL_OPEN_REPORT LastSerialOpenReport();
