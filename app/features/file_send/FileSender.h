// Sends a file's bytes raw through an open port, on a thread of its own.
//
// The file is read a piece at a time, never whole, and a piece is handed to
// the port only while the port's output queue holds less than about a fifth
// of a second of the line's bytes, so the queue never overflows. Each write
// waits until the line has taken the piece, so the count sent is what went:
// a write that the port's time-outs cut short (a far end that holds the
// line) is offered again from where it stopped, until the line takes it or
// the sending is cancelled.
#pragma once

#include <windows.h>

#include <atomic>

class FileSender {
 public:
  FileSender();
  // Cancels a sending that still runs.
  ~FileSender();

  FileSender(const FileSender&) = delete;
  FileSender& operator=(const FileSender&) = delete;

  // Opens szPath and starts sending it through hComm, whose line runs at
  // dwBaudRate bits per second. ERROR_SUCCESS, or the error that kept the
  // file from being read (ERROR_BUSY while a sending runs).
  DWORD Start(const char* szPath, HANDLE hComm, DWORD dwBaudRate);
  // Stops a running sending: drops the piece the port has not sent yet and
  // waits for the thread, which then waits for nothing but the read of one
  // piece of the file.
  void Cancel();

  // Whether a sending was started and its thread has not ended yet.
  bool Running() const;
  // How the last sending ended: ERROR_SUCCESS when the whole file went,
  // ERROR_OPERATION_ABORTED when it was cancelled, else the error of the
  // file or the port that stopped it.
  DWORD Result() const { return _dwResult; }
  ULONGLONG BytesSent() const { return _qwSent; }
  // The file's size when it was opened; 0 for what is not a plain file.
  ULONGLONG FileSize() const { return _qwFileSize; }
  // The bytes handed to the port since the last call.
  ULONGLONG TakeNewlySent();

 private:
  static DWORD WINAPI ThreadEntry(LPVOID pThis);
  void Run();
  // Waits for the thread of the last sending and lets its file go.
  void EndThread();

  HANDLE _hThread = nullptr;
  HANDLE _hCancel;
  HANDLE _hFile = INVALID_HANDLE_VALUE;
  HANDLE _hComm = INVALID_HANDLE_VALUE;
  DWORD _dwQueueTarget = 0;
  DWORD _dwBytesPerSecond = 0;
  ULONGLONG _qwFileSize = 0;
  ULONGLONG _qwCounted = 0;
  std::atomic<ULONGLONG> _qwSent{0};
  std::atomic<DWORD> _dwResult{ERROR_SUCCESS};
};
