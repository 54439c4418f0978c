// A panel's one writing thread: what cannot be handed to the port at once
// goes through it, in order. Paced sends are written one byte at a time with
// their pauses; files are read a piece at a time and handed to the port only
// while its output queue holds less than about a fifth of a second of the
// line's bytes, so the queue never overflows and a file never waits in
// memory. Whatever the window sends while the thread has work queues behind
// it, so nothing overtakes.
//
// Each write waits until the line has taken its bytes, so what is handed
// back as sent is what the port took, and a pause runs from the end of one
// write to the start of the next: a send that comes while a pause runs
// waits for its end. A write the port's time-outs cut short (a far end that
// holds the line) is offered again from where it stopped, until the line
// takes it or the job is stopped. What went is handed back in parts, each
// of one send and saying whether that send is over, so that its echo can
// stay one line.
#pragma once

#include <windows.h>

#include <deque>
#include <string>
#include <vector>

#include "Locker.h"
#include "PanelSend.h"

class PortWriter {
 public:
  // Bytes of messages that may wait for the thread.
  static constexpr size_t kQueueLimit = 64 * 1024;

  // Bytes of one send the port took, in order. Ends: nothing more of that
  // send will go (its last byte went, or its rest was dropped); a part with
  // no bytes only says that.
  struct SentPart {
    std::string Bytes;
    bool Ends = false;
    bool Echo = true;
  };

  // The last file handed to the thread.
  struct FileProgress {
    bool Running = false;
    ULONGLONG Size = 0;  // when it was opened; 0 for what is not a plain file
    ULONGLONG Sent = 0;
    // ERROR_SUCCESS when the whole file went, ERROR_OPERATION_ABORTED when
    // it was stopped, else the error of the file or the port.
    DWORD Result = ERROR_SUCCESS;
  };

  PortWriter();
  // Stops what still runs.
  ~PortWriter();
  PortWriter(const PortWriter&) = delete;
  PortWriter& operator=(const PortWriter&) = delete;

  // Queues a message for hComm, starting the thread when none runs. False,
  // with nothing queued, when it does not fit kQueueLimit or the thread
  // cannot start. hComm stays open until Cancel.
  bool Queue(HANDLE hComm, const std::string& Bytes, SendPacing Pace, bool Echo);
  // Queues a file opened for reading (the writer closes it); the line runs
  // at dwBaudRate bits a second. ERROR_SUCCESS; ERROR_BUSY, with the file
  // left open, while another file is queued or sent; or the error that kept
  // the thread from starting.
  DWORD QueueFile(HANDLE hComm, HANDLE hFile, DWORD dwBaudRate, SendPacing Pace, bool Echo);
  // Stops the file being sent; what waits behind it goes on.
  void CancelFile();
  // Queues a stream: the read end of a pipe whose bytes go to the port as
  // they come, until its writers have all gone (a file transfer's protocol
  // program writing to it). Never echoed, nor counted as a file. The same
  // answers as QueueFile; ERROR_BUSY also while a file is queued or sent.
  DWORD QueueStream(HANDLE hComm, HANDLE hSource, DWORD dwBaudRate, SendPacing Pace);
  // Stops the stream at once (what it read and not yet wrote is dropped);
  // what waits behind it goes on. The pipe's writers must have gone or be
  // going, since a read of the pipe is not cut short.
  void StopStream();
  bool StreamRunning() const;
  // Drops everything that waits, ends a write that waits for the line, and
  // waits for the thread. What was written stays to be taken.
  void Cancel();

  // Whether anything is queued or being written.
  bool Busy() const;
  // What the port took since the last call, in order, a part per send.
  std::vector<SentPart> TakeSent();
  FileProgress File() const;

 private:
  struct Job {
    std::string Bytes;                    // a message,
    HANDLE hFile = INVALID_HANDLE_VALUE;  // or a file
    bool Stream = false;                  // which is a pipe's read end
    SendPacing Pace;
    bool Echo = true;
  };

  static DWORD WINAPI ThreadEntry(LPVOID pThis);
  bool StartThread(HANDLE hComm);
  // Queues a file (of qwSize bytes, its progress kept) or a stream, read on
  // the thread: the one opening of QueueFile and QueueStream.
  DWORD QueueSource(HANDLE hComm, HANDLE hSource, bool bStream, ULONGLONG qwSize, DWORD dwBaudRate, SendPacing Pace,
                    bool Echo);
  void Run();
  // The next job; false when none waits.
  bool NextJob(Job& Next);
  void SendFile(const Job& File);
  // Writes bytes of the job in hand with its pauses (all at once when it
  // has none) and keeps what went; Last: they end their send. False when
  // the rest of the job is dropped (stopped, or refused by the port).
  bool WritePaced(const BYTE* pBytes, DWORD dwCount, const Job& Of, bool bLast);
  // Writes and waits until the line took all, the job was stopped or the
  // port refused; the bytes taken.
  DWORD WriteWaited(const BYTE* pBytes, DWORD dwCount, bool bFile);
  // Waits until the tick count qwDueMs; false when stopped first.
  bool WaitUntil(ULONGLONG qwDueMs, bool bFile);
  bool Stopped(bool bFile) const;
  // Keeps bytes of the job in hand that the port took (under the lock).
  void Went(const BYTE* pBytes, DWORD dwCount, bool bEcho, bool bEnds);
  // Ends a send that went in part (under the lock).
  void EndOpenSend();
  // Drops every job that waits, closing their files (under the lock).
  void DropQueue();

  HANDLE _hThread = nullptr;
  HANDLE _hCancel;    // stops everything
  HANDLE _hSkipFile;  // stops the file or stream in hand
  HANDLE _hWork;      // set while jobs wait
  HANDLE _hComm = INVALID_HANDLE_VALUE;
  ULONGLONG _qwNextWrite = 0;  // when the pause after the last paced byte ends
  mutable LockerImpl _Lock;    // guards all below
  std::deque<Job> _Jobs;
  size_t _nQueuedBytes = 0;  // of messages not yet written, the one in hand too
  size_t _nInHand = 0;       // of the message in hand, not yet written
  bool _bRunning = false;    // a job is in hand or queued
  std::vector<SentPart> _Sent;
  bool _bSendOpen = false;  // a send went in part and has more to come
  DWORD _dwBaudRate = 9600;
  FileProgress _File;
  bool _bStreamRunning = false;
};
