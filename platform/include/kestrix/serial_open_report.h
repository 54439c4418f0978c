// What the last CreateFileA of a port name (\\.\COMn) on the calling thread
// found out beyond its result and GetLastError(): which process holds a port
// that is in use, and a remark worth logging about the open (why a port
// that opened has no lock file, why one was taken as in use).
//
// GetLastError() after a failed open of a port:
//   ERROR_FILE_NOT_FOUND     no device has that number, or it is gone
//   ERROR_ACCESS_DENIED      in use (bInUse set: a lock file of a live
//                            process, or an exclusive open by another
//                            program or handle), as Windows answers for a
//                            port that is open already; otherwise no
//                            permission to open the device
//   ERROR_DEVICE_IN_USE      the device is the controlling terminal of a
//                            session (someone's shell or login)
//   ERROR_NOT_SUPPORTED      the name stands for no terminal device (a file,
//                            a FIFO, a disk)
// and for a port on a server (szDevice its address, rfc2217://host:port or
// tcp://host:port), why the server could not be reached:
//   ERROR_CONNECTION_REFUSED nothing listens on that port of the host
//   WSAHOST_NOT_FOUND        the host's name does not resolve
//   WSATRY_AGAIN             the name's servers did not answer
//   ERROR_SEM_TIMEOUT        the host did not answer within the connect time
//   ERROR_HOST_UNREACHABLE,
//   ERROR_NETWORK_UNREACHABLE no route to the host
//   ERROR_NETNAME_DELETED    the server ended the connection at once
#pragma once

#include <windows.h>

// The program declares the same structure (comm/SerialOpenReport.h), where
// it finds this call by name; whichever header comes first defines it.
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

// Copies the report of the calling thread's last port open; FALSE (with
// ERROR_INVALID_PARAMETER) for a null pointer.
BOOL WINAPI GetLastSerialOpenReport(SERIAL_OPEN_REPORT* lpReport);
