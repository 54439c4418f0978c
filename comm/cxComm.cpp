// Opening, setting up, writing, reading and closing the port; construction
// and teardown of the port object.
#include "cxComm.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "Assertion.h"

namespace {

const DWORD kLowestPort = 1;
const DWORD kHighestPort = 1024;
const DWORD kQueueSize = 4096;
const DWORD kPendingReadWaitMs = 10;
const DWORD kClosedWritesWaitMs = 500;

// Every port event but EV_RXFLAG.
const DWORD kWatchedEvents = EV_RXCHAR | EV_TXEMPTY | EV_CTS | EV_DSR | EV_RLSD | EV_BREAK | EV_ERR | EV_RING;  // 0x1FD

}  // namespace

cxComm::cxComm() {
  _dwPort = 0;
  std::memset(&_Timeouts, 0, sizeof _Timeouts);
  _dwOpenFlags = FILE_FLAG_OVERLAPPED;
  _bStartWatcher = true;
  _bWatchRunning = false;
  _dwRefusedSettings = 0;
  _dwBytesWritten = 0;
  _dwBytesRead = 0;
  _bDeviceLost = false;
  Init();
}

cxComm::~cxComm() {
  Close();
  Uninit();
}

void cxComm::Init() {
  std::memset(_szPortName, 0, sizeof _szPortName);
  std::memset(&_Dcb, 0, sizeof _Dcb);
  _Dcb.DCBlength = sizeof(DCB);
  _hComm = INVALID_HANDLE_VALUE;

  std::memset(&_ReadOverlapped, 0, sizeof _ReadOverlapped);
  _ReadOverlapped.hEvent = CreateEventA(NULL, TRUE, FALSE, NULL);
  ASSERT_AT(_ReadOverlapped.hEvent != NULL, "cxComm", __LINE__);

  _hNotifyWnd = NULL;
  _dwRxThreshold = 0;
  _hWatchThread = NULL;
  _dwEventMask = kWatchedEvents;

  std::memset(&_WaitOverlapped, 0, sizeof _WaitOverlapped);
  _WaitOverlapped.hEvent = CreateEventA(NULL, TRUE, FALSE, NULL);
  ASSERT_AT(_WaitOverlapped.hEvent != NULL, "cxComm", __LINE__);

  std::memset(&_ControlOverlapped, 0, sizeof _ControlOverlapped);
  _ControlOverlapped.hEvent = CreateEventA(NULL, TRUE, FALSE, NULL);
  ASSERT_AT(_ControlOverlapped.hEvent != NULL, "cxComm", __LINE__);
}

void cxComm::Uninit() {
  for (OVERLAPPED* pOverlapped : {&_ReadOverlapped, &_WaitOverlapped, &_ControlOverlapped}) {
    if (pOverlapped->hEvent != NULL) CloseHandle(pOverlapped->hEvent);
    pOverlapped->hEvent = NULL;
  }
}

bool cxComm::Open(DWORD dwPort, const char* szSettings) {
  _dwRefusedSettings = 0;
  if (dwPort < kLowestPort || dwPort > kHighestPort) return false;
  _dwPort = dwPort;
  std::snprintf(_szPortName, sizeof _szPortName, "\\\\.\\COM%u", static_cast<unsigned>(dwPort));

  if (!OpenPort()) return false;
  // The line settings come first, then queues, time-outs and the purge, and
  // only then the watcher: nothing received at the old speed, nor left on
  // the line from before the open, is ever read. A port that cannot be set
  // up as asked is closed again.
  if (ApplySettings(szSettings) && SetupPort() && StartWatch()) return true;
  const DWORD dwError = GetLastError();
  Close();
  SetLastError(dwError);
  return false;
}

bool cxComm::OpenPort() {
  if (_hComm != INVALID_HANDLE_VALUE) Close();
  _bDeviceLost = false;
  _hComm = CreateFileA(_szPortName, GENERIC_READ | GENERIC_WRITE, 0, NULL, OPEN_EXISTING,
                       _dwOpenFlags | FILE_ATTRIBUTE_NORMAL, NULL);
  return _hComm != INVALID_HANDLE_VALUE;
}

bool cxComm::ApplySettings(const char* szSettings) {
  const HANDLE hComm = _hComm;
  DCB dcb = _Dcb;
  if (GetCommState(hComm, &dcb) != TRUE) return false;
  const DCB previous = dcb;
  if (szSettings == NULL || BuildCommDCBA(szSettings, &dcb) != TRUE) {
    _dwRefusedSettings = kSettingsTextRefused;
    SetLastError(ERROR_INVALID_PARAMETER);
    return false;
  }
  if (SetCommState(hComm, &dcb) == TRUE) {
    _Dcb = dcb;
    return true;
  }
  const DWORD dwError = GetLastError();
  if (dwError == ERROR_INVALID_PARAMETER) _dwRefusedSettings = RefusedPartsOf(hComm, dcb, previous);
  SetLastError(dwError);
  return false;
}

DWORD cxComm::RefusedPartsOf(HANDLE hComm, const DCB& refused, const DCB& previous) {
  // Each part tried with the other part as the port had it: the rate alone,
  // then the framing (data bits, parity, stop bits) alone.
  DCB rateOnly = previous;
  rateOnly.BaudRate = refused.BaudRate;
  DCB framingOnly = refused;
  framingOnly.BaudRate = previous.BaudRate;
  DWORD dwRefused = 0;
  if (SetCommState(hComm, &rateOnly) != TRUE) dwRefused |= kLineRateRefused;
  if (SetCommState(hComm, &framingOnly) != TRUE) dwRefused |= kFramingRefused;
  // Each accepted alone but not together.
  return dwRefused != 0 ? dwRefused : kLineRateRefused | kFramingRefused;
}

bool cxComm::StartWatch() {
  if (!_bStartWatcher) return true;
  if (_hWatchThread != NULL) {
    SetLastError(ERROR_NOT_READY);  // a watcher of an earlier opening has not ended
    return false;
  }
  _bWatchRunning = true;
  _hWatchThread = CreateThread(NULL, 0, WatchThreadEntry, this, 0, NULL);
  return _hWatchThread != NULL;
}

bool cxComm::SetupPort() {
  const HANDLE hComm = _hComm;
  if (hComm == INVALID_HANDLE_VALUE) return false;
  if (!SetupComm(hComm, kQueueSize, kQueueSize)) return false;
  if (!GetCommTimeouts(hComm, &_Timeouts)) return false;
  _Timeouts.ReadIntervalTimeout = 0;
  _Timeouts.ReadTotalTimeoutMultiplier = 1;
  _Timeouts.ReadTotalTimeoutConstant = 1000;
  // No total time-out for writes: a write is never waited for, and one cut
  // short would lose part of a message that the line carries in full, only
  // later (a long message at a low rate, or behind earlier ones).
  _Timeouts.WriteTotalTimeoutMultiplier = 0;
  _Timeouts.WriteTotalTimeoutConstant = 0;
  if (!SetCommTimeouts(hComm, &_Timeouts)) return false;
  return PurgeComm(hComm, PURGE_TXABORT | PURGE_RXABORT | PURGE_TXCLEAR | PURGE_RXCLEAR) != FALSE;
}

DWORD cxComm::Write(const char* szBuffer) {
  ASSERT_AT(szBuffer, "cxComm", 276);
  return Write(szBuffer, static_cast<DWORD>(std::strlen(szBuffer)));
}

DWORD cxComm::Write(const void* pData, DWORD dwLength) {
  const HANDLE hComm = _hComm;
  if (hComm == INVALID_HANDLE_VALUE) return 0;

  DWORD dwErrors = 0;
  if (ClearCommError(hComm, &dwErrors, NULL) && dwErrors != 0) PurgeComm(hComm, PURGE_TXABORT | PURGE_TXCLEAR);

  // The write is not waited for: the system completes it in the background,
  // from a copy the port object keeps until it ends.
  const DWORD dwWritten = _Writes.Start(hComm, pData, dwLength);
  _dwBytesWritten += dwWritten;
  return dwWritten;
}

bool cxComm::ClearLineErrors(HANDLE hComm, COMSTAT* pStatus) {
  DWORD dwErrors = 0;
  if (!ClearCommError(hComm, &dwErrors, pStatus)) return false;
  if (dwErrors == 0) return true;
  PurgeComm(hComm, PURGE_RXABORT | PURGE_RXCLEAR);
  return false;
}

DWORD cxComm::Read(void* pBuffer, DWORD dwMaxLength) {
  // One load: the window thread may close the port meanwhile, and a call on
  // a closed handle fails cleanly.
  const HANDLE hComm = _hComm;
  if (hComm == INVALID_HANDLE_VALUE) return 0;

  COMSTAT status = {};
  if (!ClearLineErrors(hComm, &status)) return 0;
  const DWORD dwToRead = std::min(dwMaxLength, status.cbInQue);
  if (dwToRead == 0) return 0;

  DWORD dwRead = 0;
  if (!ReadFile(hComm, pBuffer, dwToRead, &dwRead, &_ReadOverlapped)) {
    dwRead = 0;
    if (GetLastError() == ERROR_IO_PENDING) {
      WaitForSingleObject(_ReadOverlapped.hEvent, kPendingReadWaitMs);
      if (!GetOverlappedResult(hComm, &_ReadOverlapped, &dwRead, FALSE)) {
        // A read still running would later write into a buffer the caller
        // has already moved on from; wait for it instead (the port's
        // time-outs bound it, and it asks only for bytes already queued).
        if (GetLastError() != ERROR_IO_INCOMPLETE || !GetOverlappedResult(hComm, &_ReadOverlapped, &dwRead, TRUE))
          dwRead = 0;
      }
    }
  }
  _dwBytesRead += dwRead;
  return dwRead;
}

bool cxComm::Control(DWORD dwCode, LPVOID pIn, DWORD dwInSize, LPVOID pOut, DWORD dwOutSize, DWORD* pdwReturned) {
  const HANDLE hComm = _hComm;
  *pdwReturned = 0;
  if (hComm == INVALID_HANDLE_VALUE) return false;
  if (DeviceIoControl(hComm, dwCode, pIn, dwInSize, pOut, dwOutSize, pdwReturned, &_ControlOverlapped)) return true;
  return GetLastError() == ERROR_IO_PENDING && GetOverlappedResult(hComm, &_ControlOverlapped, pdwReturned, TRUE);
}

void cxComm::Close() {
  const HANDLE hComm = _hComm;
  if (hComm == INVALID_HANDLE_VALUE) return;
  PurgeComm(hComm, PURGE_TXABORT | PURGE_TXCLEAR);
  // Every wait of the watcher ends at the stop, so this is short; waiting
  // for its end means no watcher of this opening runs when the next begins.
  StopWatch(INFINITE);
  _hComm = INVALID_HANDLE_VALUE;
  CloseHandle(hComm);
  // The purge and the close end the writes in flight; their copies are
  // reused once the system says so.
  _Writes.Settle(kClosedWritesWaitMs);
}

bool cxComm::StopWatch(DWORD dwTimeoutMs) {
  if (_hWatchThread == NULL) return false;
  _bWatchRunning = false;
  SetCommMask(_hComm, 0);  // completes a pending event wait with value 0
  SetEvent(_WaitOverlapped.hEvent);
  // A thread here cannot be stopped from outside; one still running keeps
  // its handle, so that no second watcher starts beside it.
  if (WaitForSingleObject(_hWatchThread, dwTimeoutMs) != WAIT_OBJECT_0) return false;
  CloseHandle(_hWatchThread);
  ResetEvent(_WaitOverlapped.hEvent);
  _hWatchThread = NULL;
  return true;
}
