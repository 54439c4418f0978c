// The process-wide log: records queued by any thread and appended by the
// log's own writer thread to one file per month in the folder Log beside the
// executable, or in the user's state folder when that one cannot be written
// (see cxLogFolder.h).
#pragma once

#include <windows.h>

#include <atomic>
#include <list>

#include "Locker.h"

class CxLog final {
 public:
  // One log record. Owns its texts and payload (C heap).
  class Item {
   public:
    // Any text or the payload may be null. The source name is the part of
    // szSource after its last backslash or slash; without a source the line
    // is 0.
    Item(const char* szSource, const char* szContext, int nLine, INT8 level, const char* szMessage, const void* pBin,
         DWORD dwBinLen);
    ~Item();

    Item(const Item&) = delete;
    Item& operator=(const Item&) = delete;

    // Writes "time level source(line): message\r\n" into szBuffer (at most
    // dwSize bytes, terminator included) and returns szBuffer; null when
    // szBuffer is null. A message ending in CR LF gets no second line end.
    char* FormatLine(char* szBuffer, DWORD dwSize, DWORD* pdwLength) const;

    // Writes the payload as 76-character hexadecimal dump lines into
    // szBuffer (cut to dwSize bytes, terminator included) and returns it.
    // With a null szBuffer a block of the needed size is allocated; the
    // caller releases it with free(). Without a payload the length is 0 and
    // szBuffer is returned as given.
    char* HexDump(char* szBuffer, DWORD dwSize, DWORD* pdwLength, bool bReplaceControl, char chReplace) const;

    SYSTEMTIME _Time;
    char _szTime[24];
    char* _szSource;
    char* _szContext;
    int _nLine;
    INT8 _cLevel;
    char* _szMessage;
    BYTE* _pBin;
    DWORD _dwBinLen;
  };

  // Records waiting beyond this many are dropped and counted; the count is
  // written as a record of its own ("N records dropped") with the next
  // batch that can be written.
  static constexpr size_t kMaxQueuedRecords = 1024;

  // The one log, created with its folder and writer thread on first use
  // from any thread. Throws std::runtime_error("CxLog has destroy!") once
  // destruction has begun.
  static CxLog& Instance();

  // The log folder, ending in '/': the executable's folder followed by
  // "Log/" while that can be written, otherwise kestrix/Log/ in the user's
  // state folder. Chosen on the first call.
  static const char* LogFolder();

  // Queues a record with the given source, line, level and message and
  // wakes the writer. May throw as Instance does.
  static void Log(const char* szSource, int nLine, INT8 level, const char* szMessage);

  // Queues a record made by the caller (with a payload, say) and wakes the
  // writer; the log owns the record from then on.
  void Add(Item* pItem);

  // The writer loop; returns when the stop event is set.
  virtual void Run();

  CxLog(const CxLog&) = delete;
  CxLog& operator=(const CxLog&) = delete;

 private:
  CxLog();
  ~CxLog();

  friend struct CxLogTesting;  // tests hold the queue lock and wake the writer

  void WriteBatch(HANDLE hFile);
  static unsigned __stdcall WriterThreadProc(void* pThis);

  std::atomic<bool>* _pbAlive;
  // The queue lock. Held by pointer: a writer stuck in a write at exit may
  // still take it, so it is then left to the ending process.
  LockerImpl* const _pLock;
  std::list<Item*> _Items;
  DWORD _dwDropped;  // records lost since the last written batch
  char _szFilePath[MAX_PATH];
  HANDLE _hThread;
  HANDLE _hDataEvent;
  HANDLE _hStopEvent;
};
