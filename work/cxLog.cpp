// The process-wide log: its folder, its queue and its writer thread.
#include "cxLog.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <stdexcept>
#include <string>

#include "LogRecordLines.h"
#include "QueueThread.h"
#include "cxLogFolder.h"

namespace {

// Whether the log exists and is not being destroyed; kept outside the
// object so that it can be read after the object is gone.
std::atomic<bool> g_bLogAlive{false};

const char kDestroyedText[] = "CxLog has destroy!";
const char kFallbackFolder[] = "./";
const DWORD kLineAreaSize = 1024;
const INT8 kWarningLevel = 1;
// How long the writer has at exit. Records queued before the stop are
// written first (a wake for data wins over the stop), each batch in one
// append of a regular file; a writer still busy after this is stuck in a
// write that would not finish anyway.
const DWORD kWriterStopMs = 500;

struct FolderPath {
  char text[MAX_PATH];
};

// The executable's folder ending in its separator, or "./" when the module
// path cannot be had whole.
std::string ExecutableFolder() {
  char modulePath[MAX_PATH];
  const DWORD length = GetModuleFileNameA(nullptr, modulePath, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return kFallbackFolder;
  const std::string folder = ModuleFolder(modulePath);
  return folder.empty() ? std::string(kFallbackFolder) : folder;
}

FolderPath ComputeLogFolder() {
  FolderPath folder{};
  if (!ChooseLogFolder(ExecutableFolder().c_str(), KESTRIX_INSTALLED_BINDIR, folder.text, sizeof folder.text))
    ChooseLogFolder(kFallbackFolder, KESTRIX_INSTALLED_BINDIR, folder.text, sizeof folder.text);
  return folder;
}

// Appends the record's line, and its dump when it has a payload, to text.
void AppendRecord(const CxLog::Item& item, std::string& text) {
  char szLine[kLineAreaSize];
  DWORD dwLength = 0;
  item.FormatLine(szLine, sizeof szLine, &dwLength);
  text.append(szLine, dwLength);
  if (item._pBin != nullptr && item._dwBinLen != 0) {
    DWORD dwDumpLength = 0;
    char* szDump = item.HexDump(nullptr, 0, &dwDumpLength, true, ' ');
    text.append(szDump, dwDumpLength);
    std::free(szDump);
  }
}

}  // namespace

CxLog& CxLog::Instance() {
  static CxLog log;
  if (!g_bLogAlive.load()) {
    OutputDebugStringA(kDestroyedText);
    throw std::runtime_error(kDestroyedText);
  }
  return log;
}

const char* CxLog::LogFolder() {
  static const FolderPath folder = ComputeLogFolder();
  return folder.text;
}

void CxLog::Log(const char* szSource, int nLine, INT8 level, const char* szMessage) {
  CxLog& log = Instance();
  log.Add(new Item(szSource, nullptr, nLine, level, szMessage, nullptr, 0));
}

void CxLog::Add(Item* pItem) {
  if (pItem == nullptr) return;
  bool bQueued;
  {
    InnerLocker lock(_pLock);
    bQueued = _Items.size() < kMaxQueuedRecords;
    if (bQueued)
      _Items.push_back(pItem);
    else
      ++_dwDropped;
  }
  if (!bQueued) delete pItem;
  SetEvent(_hDataEvent);
}

CxLog::CxLog()
    : _pbAlive(&g_bLogAlive),
      _pLock(new LockerImpl),
      _dwDropped(0),
      _szFilePath{},
      _hThread(nullptr),
      _hDataEvent(nullptr),
      _hStopEvent(nullptr) {
  *_pbAlive = true;
  MakeLogFolder(LogFolder());
  _hStopEvent = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  _hDataEvent = CreateEventA(nullptr, FALSE, FALSE, nullptr);
  _hThread = StartQueueThread(&CxLog::WriterThreadProc, this);
}

CxLog::~CxLog() {
  *_pbAlive = false;
  if (_hThread != nullptr) {
    const bool writerEnded = StopQueueThread(_hThread, _hStopEvent, kWriterStopMs);
    CloseHandle(_hThread);
    // A writer stuck in a write may still take the lock: leave it, the
    // queue and the events to the ending process.
    if (!writerEnded) return;
  }
  delete _pLock;
  // Records the writer could not write (their file would not open).
  for (Item* pItem : _Items) delete pItem;
  _Items.clear();
  CloseHandle(_hDataEvent);
  CloseHandle(_hStopEvent);
}

unsigned __stdcall CxLog::WriterThreadProc(void* pThis) {
  static_cast<CxLog*>(pThis)->Run();
  return 0;
}

void CxLog::Run() {
  while (WaitForWorkOrStop(_hDataEvent, _hStopEvent) == WakeReason::Work) {
    SYSTEMTIME now;
    GetLocalTime(&now);
    const int pathLength =
        std::snprintf(_szFilePath, sizeof _szFilePath, "%s%04d%02d.log", LogFolder(), now.wYear, now.wMonth % 100);
    if (pathLength < 0 || static_cast<size_t>(pathLength) >= sizeof _szFilePath) continue;
    // Appends only, to the regular file of that name alone: a link there
    // (to anywhere) or a pipe is refused rather than followed or waited on,
    // and other instances' batches never overwrite this one.
    const HANDLE hFile = CreateFileA(_szFilePath, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                     OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    // The records stay queued; the next wake tries the file again.
    if (hFile == INVALID_HANDLE_VALUE) continue;
    WriteBatch(hFile);
    CloseHandle(hFile);
  }
}

// Takes every queued record and writes them with one write, so that the
// batch lands whole after whatever else the file holds. The queue lock is
// held only to take the records: producers never wait for the disk. Records
// the queue turned away, or whose write failed, are counted in a record of
// their own once a batch can be written.
void CxLog::WriteBatch(HANDLE hFile) {
  std::list<Item*> batch;
  DWORD dwDropped;
  {
    InnerLocker lock(_pLock);
    batch.swap(_Items);
    dwDropped = _dwDropped;
    _dwDropped = 0;
  }

  std::string text;
  DWORD dwRecords = static_cast<DWORD>(batch.size());
  try {
    for (const Item* pItem : batch) AppendRecord(*pItem, text);
    if (dwDropped != 0) {
      char szMessage[64];
      std::snprintf(szMessage, sizeof szMessage, "%lu records dropped", static_cast<unsigned long>(dwDropped));
      const Item notice(__FILE__, nullptr, LogRecordLine::kRecordsDropped, kWarningLevel, szMessage, nullptr, 0);
      AppendRecord(notice, text);
    }
  } catch (...) {
    // Out of memory for the batch's text: the batch is lost, and counted.
    text.clear();
  }
  for (Item* pItem : batch) delete pItem;

  DWORD dwWritten = 0;
  const bool bWritten = !text.empty() &&
                        WriteFile(hFile, text.data(), static_cast<DWORD>(text.size()), &dwWritten, nullptr) &&
                        dwWritten == text.size();
  if (bWritten || (text.empty() && dwRecords == 0 && dwDropped == 0)) return;
  InnerLocker lock(_pLock);
  _dwDropped += dwRecords + dwDropped;
}
