// The serial port object: one communications port opened for overlapped
// I/O, with its line settings, queues and time-outs, and the thread that
// watches its events and turns each into a call of a notification slot.
#pragma once

#include <windows.h>

#include <atomic>

#include "Locker.h"
#include "PendingWrites.h"

class cxComm {
 public:
  cxComm();
  virtual ~cxComm();

  cxComm(const cxComm&) = delete;
  cxComm& operator=(const cxComm&) = delete;

  // Virtual slots, in this order.
  virtual void Close();
  virtual void Init();
  virtual void Uninit();
  virtual bool OpenPort();
  virtual bool SetupPort();
  virtual void OnReceive();
  virtual void OnDSR();
  virtual void OnCTS();
  virtual void OnBreak();
  virtual void OnTXEmpty();
  virtual void OnError();
  virtual void OnRing();
  virtual void OnRLSD();
  virtual DWORD WatchProc();
  // The watch thread found the device gone (unplugged, or the far end hung
  // up): nothing more will come from this handle. Called once; the watcher
  // then waits, without using the processor, until it is stopped.
  virtual void OnDeviceLost();

  // Opens \\.\COM<dwPort> (1 to 1024) with a settings text such as
  // "9600,N,8,1". False, with the port closed and GetLastError telling why,
  // when the port cannot be opened or set up or the settings are refused
  // (_dwRefusedSettings then says which).
  bool Open(DWORD dwPort, const char* szSettings);
  // Starts an overlapped write without waiting for it; returns the bytes
  // the port took (all of them, or 0 on a closed port or a refused write).
  DWORD Write(const void* pData, DWORD dwLength);
  DWORD Write(const char* szBuffer);
  // Reads at most dwMaxLength of the bytes already queued. A line error
  // discards the whole input queue and reads nothing.
  DWORD Read(void* pBuffer, DWORD dwMaxLength);
  // Sends a device control code to the open port and waits for its
  // answer; false when there is no port or the device refuses the code.
  // One call at a time: callers hold the channel lock.
  bool Control(DWORD dwCode, LPVOID pIn, DWORD dwInSize, LPVOID pOut, DWORD dwOutSize, DWORD* pdwReturned);
  // Tells the watch thread to stop and waits up to dwTimeoutMs (INFINITE
  // from Close) for it to end; false when no thread runs or it has not
  // ended yet, in which case it keeps its handle.
  bool StopWatch(DWORD dwTimeoutMs);

  // The open port is the one whose handle is not INVALID_HANDLE_VALUE.
  // Fields that the window, watch and worker threads share are atomic.
  std::atomic<DWORD> _dwPort;
  std::atomic<HANDLE> _hComm;
  char _szPortName[64];
  DCB _Dcb;
  COMMTIMEOUTS _Timeouts;
  DWORD _dwOpenFlags;
  OVERLAPPED _ReadOverlapped;
  OVERLAPPED _ControlOverlapped;
  PendingWrites _Writes;
  HANDLE _hWatchThread;
  HWND _hNotifyWnd;
  DWORD _dwRxThreshold;
  DWORD _dwEventMask;
  std::atomic<bool> _bWatchRunning;
  bool _bStartWatcher;
  OVERLAPPED _WaitOverlapped;
  LockerImpl _Lock;  // the channel lock: taken by derived classes, never by cxComm
  // What the last Open's settings were refused for: the text itself, the
  // line rate by the device, the framing (data bits, parity, stop bits) by
  // the device; 0 when the settings were not the cause.
  enum : DWORD { kSettingsTextRefused = 1, kLineRateRefused = 2, kFramingRefused = 4 };
  DWORD _dwRefusedSettings;
  // Bytes the writes reported and the reads returned, since construction;
  // 64 bits, so that they never wrap.
  std::atomic<ULONGLONG> _dwBytesWritten;
  std::atomic<ULONGLONG> _dwBytesRead;
  // Set by the watcher when the device of this opening has gone; cleared by
  // the next opening.
  std::atomic<bool> _bDeviceLost;

  // Clears the port's error state into *pStatus. A reported line error
  // discards the input queue, since the bytes in it cannot be trusted;
  // returns false then, and when the port's status cannot be read. Public
  // for everything that reads the port's status while it runs.
  static bool ClearLineErrors(HANDLE hComm, COMSTAT* pStatus);

 private:
  static DWORD WINAPI WatchThreadEntry(LPVOID pObject);
  // Applies the settings text to the open port; on refusal sets
  // _dwRefusedSettings.
  bool ApplySettings(const char* szSettings);
  // Which part of a refused DCB the device will not take.
  static DWORD RefusedPartsOf(HANDLE hComm, const DCB& refused, const DCB& previous);
  // Starts the watch thread of an opening (when _bStartWatcher is set).
  bool StartWatch();
  // A received-character event: clears line errors (discarding the input
  // that came with one), then calls OnReceive when the receive threshold is
  // met; with bOnlyWhenQueued, only when some input is queued.
  void ReceiveQueued(HANDLE hComm, bool bOnlyWhenQueued);
  // Rests the watch loop after an event wait that failed or reported
  // nothing, so that a device that fails every wait does not make it spin;
  // StopWatch ends the rest at once.
  void PauseAfterFailedWait();
  // Tells OnDeviceLost and waits for StopWatch.
  void WaitAfterDeviceLost();
};
