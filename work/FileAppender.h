// Appends bytes to a file on a thread of its own, so that the threads that
// hand bytes over never wait for the disk.
//
// The bytes waiting to be written are held in memory up to a limit. Bytes
// that would pass it are not queued and the appender stops taking any more
// (it has overflowed): the file then holds exactly the bytes taken before,
// never a file with a hole in it. A failed write (full disk, a file that
// cannot be written) stops it the same way, with the error kept; so does a
// write the file took only part of (ERROR_PARTIAL_COPY).
//
// Every file the program writes for the user goes through one of these: a
// capture, the link monitor's record, a session log, and whole files saved
// at once (the shown text, an export), so the window never waits for a disk.
#pragma once

#include <windows.h>

#include <atomic>
#include <deque>
#include <string>

#include "Locker.h"

class FileAppender {
 public:
  // Large enough for minutes of the fastest line while a disk stalls.
  static constexpr size_t kDefaultQueueLimit = 64 * 1024 * 1024;

  explicit FileAppender(size_t nQueueLimit = kDefaultQueueLimit);
  // Writes what is queued and waits for the thread to end.
  ~FileAppender();

  FileAppender(const FileAppender&) = delete;
  FileAppender& operator=(const FileAppender&) = delete;

  // Creates szPath (replacing a file of that name) and starts the thread.
  // ERROR_SUCCESS, or the error that kept the file from being made.
  DWORD Start(const char* szPath);
  // Queues a copy of the bytes and returns at once. False, with nothing
  // queued, when the appender does not take bytes (not started, finished,
  // failed, or overflowed now or before).
  bool Append(const void* pData, DWORD dwLength);
  // The same, taking the bytes without a copy (a whole file at once).
  bool Append(std::string&& Bytes);
  // No more bytes: the thread writes what is queued, closes the file and
  // ends. Does not wait for it.
  void Finish();
  // Finishes and waits for the thread to end while it keeps writing; false
  // once it has written nothing for dwStallMs (stuck in a write to a pipe
  // nobody reads, say). An appender whose thread did not end must not be
  // destroyed: its thread still uses it.
  bool EndWhileWriting(DWORD dwStallMs);

  // Whether it still takes bytes.
  bool Taking() const;
  // Whether the thread has ended and the file is closed.
  bool Ended() const;
  // The error of the write that failed; ERROR_SUCCESS while none did.
  DWORD Error() const { return _dwError; }
  bool Overflowed() const { return _bOverflowed; }
  // Bytes that reached the file.
  ULONGLONG BytesWritten() const { return _qwWritten; }

 private:
  static DWORD WINAPI ThreadEntry(LPVOID pThis);
  void Run();
  // Writes everything queued; false when a write failed.
  bool WriteQueued();
  // Whether nLength more bytes may be queued; overflows when not (under the
  // lock).
  bool Room(size_t nLength);

  const size_t _nQueueLimit;
  mutable LockerImpl _Lock;  // guards _Queue, _nQueued and _bTaking
  std::deque<std::string> _Queue;
  size_t _nQueued = 0;
  bool _bTaking = false;
  HANDLE _hFile = INVALID_HANDLE_VALUE;
  HANDLE _hThread = nullptr;
  HANDLE _hWork;    // auto-reset: bytes were queued
  HANDLE _hFinish;  // manual-reset: no more bytes will come
  std::atomic<DWORD> _dwError{ERROR_SUCCESS};
  std::atomic<bool> _bOverflowed{false};
  std::atomic<ULONGLONG> _qwWritten{0};
};
