// Sends bytes through an open port one at a time, with a pause after each
// character and a longer one after each line ending, on a thread of its
// own, so that the window never waits for a pause.
//
// Each byte is written and its write waited for before the pause after it
// begins, so what is handed back as sent is what the port took. A pause is
// measured from the end of one write to the start of the next: a send that
// comes while a pause runs waits for its end. Sends queue behind each other
// in order, up to kQueueLimit bytes waiting; a send that does not fit is
// refused whole.
#pragma once

#include <windows.h>

#include <deque>
#include <string>

#include "Locker.h"

class PacedSender {
 public:
  static constexpr size_t kQueueLimit = 64 * 1024;

  PacedSender();
  // Stops a sending that still runs.
  ~PacedSender();
  PacedSender(const PacedSender&) = delete;
  PacedSender& operator=(const PacedSender&) = delete;

  // Queues Bytes for hComm (opened for overlapped I/O) with these pauses in
  // milliseconds, starting the thread when none runs. False, with nothing
  // queued, when the queue is full or the thread cannot start. Pauses apply
  // from the next byte written; hComm must stay open until Cancel.
  bool Send(HANDLE hComm, const std::string& Bytes, DWORD dwCharGapMs, DWORD dwLineGapMs);
  // Drops what waits, ends a write that waits for the line, and waits for
  // the thread. What was written stays to be taken.
  void Cancel();
  // Whether bytes are queued or being written.
  bool Busy() const;
  // The bytes the port took since the last call, in order.
  std::string TakeSent();

 private:
  static DWORD WINAPI ThreadEntry(LPVOID pThis);
  void Run();
  // Takes the next byte and the pause after it; false when none waits.
  bool NextByte(BYTE& Byte, DWORD& dwPauseMs);
  // Waits until the pause before the next write has passed; false when
  // cancelled.
  bool WaitUntil(ULONGLONG qwDueMs);
  // Writes one byte and waits for the port to take it; a cancel aborts the
  // write. True when it was taken.
  bool WriteByte(BYTE Byte);

  HANDLE _hThread = nullptr;
  HANDLE _hCancel;
  HANDLE _hWork;  // set while bytes wait
  HANDLE _hComm = INVALID_HANDLE_VALUE;
  OVERLAPPED _Write;
  mutable LockerImpl _Lock;  // guards _Queue, the gaps, _bRunning and _Sent
  std::deque<char> _Queue;
  DWORD _dwCharGapMs = 0;
  DWORD _dwLineGapMs = 0;
  bool _bRunning = false;  // the thread has bytes in hand or queued
  std::string _Sent;       // taken by the port, not yet handed on
};
