// The Win32 communications calls, handed to the port behind the handle. The reference taken here keeps the port alive
// for the whole call, even when another thread closes the handle meanwhile; a port that was closed fails every call
// with ERROR_INVALID_HANDLE.
#include "serial_port.h"

using platform::requireHandle;
using platform::SerialPort;

namespace {

BOOL invalidParameter() {
  SetLastError(ERROR_INVALID_PARAMETER);
  return FALSE;
}

}  // namespace

BOOL WINAPI GetCommState(HANDLE hFile, LPDCB lpDCB) {
  std::shared_ptr<SerialPort> port = requireHandle<SerialPort>(hFile);
  if (!port) return FALSE;
  if (lpDCB == nullptr) return invalidParameter();
  return port->getState(lpDCB);
}

BOOL WINAPI SetCommState(HANDLE hFile, LPDCB lpDCB) {
  std::shared_ptr<SerialPort> port = requireHandle<SerialPort>(hFile);
  if (!port) return FALSE;
  if (lpDCB == nullptr) return invalidParameter();
  return port->setState(*lpDCB);
}

BOOL WINAPI SetupComm(HANDLE hFile, DWORD dwInQueue, DWORD dwOutQueue) {
  std::shared_ptr<SerialPort> port = requireHandle<SerialPort>(hFile);
  if (!port) return FALSE;
  return port->setupQueues(dwInQueue, dwOutQueue);
}

BOOL WINAPI GetCommTimeouts(HANDLE hFile, LPCOMMTIMEOUTS lpCommTimeouts) {
  std::shared_ptr<SerialPort> port = requireHandle<SerialPort>(hFile);
  if (!port) return FALSE;
  if (lpCommTimeouts == nullptr) return invalidParameter();
  return port->getTimeouts(lpCommTimeouts);
}

BOOL WINAPI SetCommTimeouts(HANDLE hFile, LPCOMMTIMEOUTS lpCommTimeouts) {
  std::shared_ptr<SerialPort> port = requireHandle<SerialPort>(hFile);
  if (!port) return FALSE;
  if (lpCommTimeouts == nullptr) return invalidParameter();
  return port->setTimeouts(*lpCommTimeouts);
}

BOOL WINAPI PurgeComm(HANDLE hFile, DWORD dwFlags) {
  std::shared_ptr<SerialPort> port = requireHandle<SerialPort>(hFile);
  if (!port) return FALSE;
  return port->purge(dwFlags);
}

BOOL WINAPI ClearCommError(HANDLE hFile, LPDWORD lpErrors, LPCOMSTAT lpStat) {
  std::shared_ptr<SerialPort> port = requireHandle<SerialPort>(hFile);
  if (!port) return FALSE;
  return port->clearErrors(lpErrors, lpStat);
}

BOOL WINAPI SetCommMask(HANDLE hFile, DWORD dwEvtMask) {
  std::shared_ptr<SerialPort> port = requireHandle<SerialPort>(hFile);
  if (!port) return FALSE;
  return port->setMask(dwEvtMask);
}

BOOL WINAPI WaitCommEvent(HANDLE hFile, LPDWORD lpEvtMask, LPOVERLAPPED lpOverlapped) {
  std::shared_ptr<SerialPort> port = requireHandle<SerialPort>(hFile);
  if (!port) return FALSE;
  if (lpEvtMask == nullptr) return invalidParameter();
  return port->waitEvent(lpEvtMask, lpOverlapped);
}

BOOL WINAPI GetCommModemStatus(HANDLE hFile, LPDWORD lpModemStat) {
  std::shared_ptr<SerialPort> port = requireHandle<SerialPort>(hFile);
  if (!port) return FALSE;
  if (lpModemStat == nullptr) return invalidParameter();
  return port->modemStatus(lpModemStat);
}

BOOL WINAPI EscapeCommFunction(HANDLE hFile, DWORD dwFunc) {
  std::shared_ptr<SerialPort> port = requireHandle<SerialPort>(hFile);
  if (!port) return FALSE;
  return port->escape(dwFunc);
}

BOOL WINAPI GetCommProperties(HANDLE hFile, LPCOMMPROP lpCommProp) {
  std::shared_ptr<SerialPort> port = requireHandle<SerialPort>(hFile);
  if (!port) return FALSE;
  if (lpCommProp == nullptr) return invalidParameter();
  return port->properties(lpCommProp);
}
