// Sends bytes through an open port one at a time, with a pause after each
// character and a longer one after each line ending, on a thread of its
// own, so that the window never waits for a pause.
//
// Each byte is written and its write waited for before the pause after it
// begins, so what is handed back as sent is what the port took. A pause is
// measured from the end of one write to the start of the next: a send that
// comes while a pause runs waits for its end. Sends queue behind each other
// in order, up to kQueueLimit bytes waiting; a send that does not fit is
// refused whole. What went is handed back in parts, each of one send and
// saying whether that send is over, so that its echo can stay one line.
#pragma once

#include <windows.h>

#include <deque>
#include <string>
#include <vector>

#include "Locker.h"

class PacedSender {
 public:
  static constexpr size_t kQueueLimit = 64 * 1024;

  // Bytes of one send the port took, in order. Ends: nothing more of that
  // send will go (its last byte went, or its rest was dropped); a part
  // with no bytes only says that.
  struct SentPart {
    std::string Bytes;
    bool Ends = false;
  };

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
  // What the port took since the last call, in order, a part per send.
  std::vector<SentPart> TakeSent();

 private:
  static DWORD WINAPI ThreadEntry(LPVOID pThis);
  void Run();
  // Takes the next byte, the pause after it and whether it is its send's
  // last; false when none waits.
  bool NextByte(BYTE& Byte, DWORD& dwPauseMs, bool& bLast);
  // Keeps a byte the port took (under the lock).
  void Went(char Byte, bool bLast);
  // Drops what waits; a send part of which went ends there (under the
  // lock).
  void DropQueue();
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
  mutable LockerImpl _Lock;  // guards all below
  std::deque<char> _Queue;
  std::deque<size_t> _SendSizes;  // bytes still queued of each send, in order
  DWORD _dwCharGapMs = 0;
  DWORD _dwLineGapMs = 0;
  bool _bRunning = false;       // the thread has bytes in hand or queued
  std::vector<SentPart> _Sent;  // taken by the port, not yet handed on
  bool _bSendOpen = false;      // a send went in part and has more to come
};
