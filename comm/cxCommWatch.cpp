// The watch thread of an open port: waits for port events and calls the
// notification slot of each; and the default slots, which post the event to
// the notify window when one is set.
#include <cstdio>

#include "PortMessages.h"
#include "cxComm.h"

namespace {

const DWORD kSetCommMaskFailureLine = 661;
// How long the loop rests after an event wait that failed or reported
// nothing (a device that has gone away fails every wait at once).
const DWORD kFailedWaitPauseMs = 50;

struct EventSlot {
  DWORD dwEvent;
  void (cxComm::*pSlot)();
};

// EV_RXCHAR is handled apart: it first clears line errors and checks the
// receive threshold.
const EventSlot kEventSlots[] = {
    {EV_TXEMPTY, &cxComm::OnTXEmpty}, {EV_CTS, &cxComm::OnCTS},     {EV_DSR, &cxComm::OnDSR},
    {EV_RLSD, &cxComm::OnRLSD},       {EV_BREAK, &cxComm::OnBreak}, {EV_ERR, &cxComm::OnError},
    {EV_RING, &cxComm::OnRing},
};

}  // namespace

DWORD WINAPI cxComm::WatchThreadEntry(LPVOID pObject) { return static_cast<cxComm*>(pObject)->WatchProc(); }

namespace {

// The text of a failed event mask is shown from a thread of its own: the
// box waits for the user, and the port's close must not.
DWORD WINAPI ShowMaskFailure(LPVOID pText) {
  MessageBoxA(NULL, static_cast<const char*>(pText), "Class cxComm", MB_OK);
  delete[] static_cast<char*>(pText);
  return 0;
}

}  // namespace

DWORD cxComm::WatchProc() {
  // The watcher keeps to the handle of the opening that started it.
  const HANDLE hComm = _hComm;
  if (!SetCommMask(hComm, _dwEventMask)) {
    const DWORD dwError = GetLastError();
    char* szText = new char[256];
    std::snprintf(szText, 256,
                  "%s(%d) : COM%d Call WINAPI SetCommMask(%x, %x) Fail, thread work invalid! GetLastError() = %d;",
                  "cxComm", static_cast<int>(kSetCommMaskFailureLine), static_cast<int>(_dwPort.load()),
                  static_cast<unsigned>(reinterpret_cast<uintptr_t>(hComm)), static_cast<unsigned>(_dwEventMask),
                  static_cast<int>(dwError));
    const HANDLE hBoxThread = CreateThread(NULL, 0, ShowMaskFailure, szText, 0, NULL);
    if (hBoxThread != NULL) {
      CloseHandle(hBoxThread);
    } else {
      ShowMaskFailure(szText);
    }
    return 1;
  }

  // Bytes that arrived between the open and the mask raised no event, and
  // nothing else would ever report them.
  ReceiveQueued(hComm, true);

  DWORD dwEvent = 0;
  while (_bWatchRunning && _hComm == hComm) {
    bool bWaited = WaitCommEvent(hComm, &dwEvent, &_WaitOverlapped) != FALSE;
    if (!bWaited && GetLastError() == ERROR_IO_PENDING) {
      DWORD dwCount = 0;
      bWaited = GetOverlappedResult(hComm, &_WaitOverlapped, &dwCount, TRUE) != FALSE;
    }
    const DWORD dwError = bWaited ? ERROR_SUCCESS : GetLastError();
    if (dwError == ERROR_DEVICE_REMOVED) {
      WaitAfterDeviceLost();
    } else if (!bWaited || dwEvent == 0) {
      PauseAfterFailedWait();
    } else if (dwEvent == EV_RXCHAR) {
      ReceiveQueued(hComm, false);
    } else {
      for (const EventSlot& slot : kEventSlots) {
        if (dwEvent == slot.dwEvent) (this->*slot.pSlot)();
      }
    }
    dwEvent = 0;
  }
  return 0;
}

void cxComm::ReceiveQueued(HANDLE hComm, bool bOnlyWhenQueued) {
  COMSTAT status = {};
  ClearLineErrors(hComm, &status);
  if (bOnlyWhenQueued && status.cbInQue == 0) return;
  if (status.cbInQue >= _dwRxThreshold) OnReceive();
}

void cxComm::PauseAfterFailedWait() {
  // StopWatch clears the flag before it sets the event: either the flag is
  // seen here or the set comes after this reset and ends the pause.
  ResetEvent(_WaitOverlapped.hEvent);
  if (_bWatchRunning) WaitForSingleObject(_WaitOverlapped.hEvent, kFailedWaitPauseMs);
}

void cxComm::WaitAfterDeviceLost() {
  if (!_bDeviceLost.exchange(true)) OnDeviceLost();
  // Events recorded before the loss were reported first; every wait from
  // now on fails at once, so the watcher waits for its stop instead. As in
  // PauseAfterFailedWait, the flag is read after the reset.
  ResetEvent(_WaitOverlapped.hEvent);
  if (_bWatchRunning) WaitForSingleObject(_WaitOverlapped.hEvent, INFINITE);
}

void cxComm::OnDeviceLost() {}

void cxComm::OnReceive() {
  if (IsWindow(_hNotifyWnd)) PostMessageA(_hNotifyWnd, kRxCharMessage, _dwPort, 0);
}

void cxComm::OnCTS() {
  DWORD dwStatus = 0;
  if (IsWindow(_hNotifyWnd) && GetCommModemStatus(_hComm, &dwStatus))
    PostMessageA(_hNotifyWnd, kCtsChangedMessage, _dwPort, (dwStatus & MS_CTS_ON) ? 1 : 0);
}

void cxComm::OnDSR() {
  DWORD dwStatus = 0;
  if (IsWindow(_hNotifyWnd) && GetCommModemStatus(_hComm, &dwStatus))
    PostMessageA(_hNotifyWnd, kDsrChangedMessage, _dwPort, (dwStatus & MS_DSR_ON) ? 1 : 0);
}

void cxComm::OnRing() {
  if (IsWindow(_hNotifyWnd)) PostMessageA(_hNotifyWnd, kRingMessage, _dwPort, 0);
}

void cxComm::OnRLSD() {
  if (IsWindow(_hNotifyWnd)) PostMessageA(_hNotifyWnd, kRlsdChangedMessage, _dwPort, 0);
}

void cxComm::OnBreak() {
  if (IsWindow(_hNotifyWnd)) PostMessageA(_hNotifyWnd, kBreakMessage, _dwPort, 0);
}

void cxComm::OnTXEmpty() {
  if (IsWindow(_hNotifyWnd)) PostMessageA(_hNotifyWnd, kTxEmptyMessage, _dwPort, 0);
}

void cxComm::OnError() {
  // Cleared even when no window is told, so the port leaves its error state.
  DWORD dwErrors = 0;
  ClearCommError(_hComm, &dwErrors, NULL);
  if (IsWindow(_hNotifyWnd)) PostMessageA(_hNotifyWnd, kCommErrorMessage, _dwPort, dwErrors);
}
