// The process-wide log: its folder, its queue and its writer thread.
#include "cxLog.h"

#include <process.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <stdexcept>

#include "WaitForWork.h"

namespace {

// Whether the log exists and is not being destroyed; kept outside the
// object so that it can be read after the object is gone.
std::atomic<bool> g_bLogAlive{false};

const char kDestroyedText[] = "CxLog has destroy!";
const char kFallbackFolder[] = "./Log/";
const char kFolderName[] = "Log/";
const size_t kFileNameLength = sizeof "YYYYMM.log" - 1;
const DWORD kLineAreaSize = 1024;

// How long destruction waits for the writer. A batch is a few small writes,
// so a writer still busy after this is stuck in a write.
const DWORD kStopTimeoutMs = 5000;

struct FolderPath {
  char text[MAX_PATH];
};

// The executable's folder followed by "Log/", or "./Log/" when the module
// path cannot be had whole or leaves no room for the file name.
FolderPath ComputeLogFolder() {
  FolderPath folder{};
  char modulePath[MAX_PATH];
  const DWORD length = GetModuleFileNameA(nullptr, modulePath, MAX_PATH);
  if (length > 0 && length < MAX_PATH) {
    char* lastSlash = std::strrchr(modulePath, '/');
    if (lastSlash != nullptr) {
      const size_t folderLength = static_cast<size_t>(lastSlash - modulePath) + 1;
      if (folderLength + sizeof kFolderName - 1 + kFileNameLength < MAX_PATH) {
        std::memcpy(folder.text, modulePath, folderLength);
        std::memcpy(folder.text + folderLength, kFolderName, sizeof kFolderName);
        return folder;
      }
    }
  }
  std::memcpy(folder.text, kFallbackFolder, sizeof kFallbackFolder);
  return folder;
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
  EnterCriticalSection(&_Lock);
  _Items.push_back(pItem);
  LeaveCriticalSection(&_Lock);
  SetEvent(_hDataEvent);
}

CxLog::CxLog() : _pbAlive(&g_bLogAlive), _szFilePath{}, _hThread(nullptr), _hDataEvent(nullptr), _hStopEvent(nullptr) {
  *_pbAlive = true;
  CreateDirectoryA(LogFolder(), nullptr);
  _hStopEvent = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  _hDataEvent = CreateEventA(nullptr, FALSE, FALSE, nullptr);
  InitializeCriticalSection(&_Lock);
  _hThread = reinterpret_cast<HANDLE>(_beginthreadex(nullptr, 0, &CxLog::WriterThreadProc, this, 0, nullptr));
}

CxLog::~CxLog() {
  *_pbAlive = false;
  if (_hThread != nullptr) {
    SetEvent(_hStopEvent);
    const bool writerEnded = WaitForSingleObject(_hThread, kStopTimeoutMs) == WAIT_OBJECT_0;
    if (!writerEnded) TerminateThread(_hThread, 0);
    CloseHandle(_hThread);
    // A writer stuck inside a batch still holds the lock and the queue:
    // leave both (and the events) to the ending process.
    if (!writerEnded) return;
  }
  DeleteCriticalSection(&_Lock);
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
    const HANDLE hFile = CreateFileA(_szFilePath, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                                     FILE_ATTRIBUTE_NORMAL, nullptr);
    // The records stay queued; the next wake tries the file again.
    if (hFile == INVALID_HANDLE_VALUE) continue;
    SetFilePointer(hFile, 0, nullptr, FILE_END);
    WriteBatch(hFile);
    SetEndOfFile(hFile);
    CloseHandle(hFile);
  }
}

// Writes and destroys every queued record, holding the queue lock for the
// whole batch. Write results are not checked: a record that fails to be
// written is dropped like a written one.
void CxLog::WriteBatch(HANDLE hFile) {
  EnterCriticalSection(&_Lock);
  try {
    while (!_Items.empty()) {
      Item* pItem = _Items.front();
      char szLine[kLineAreaSize];
      DWORD dwLength = 0;
      DWORD dwWritten = 0;
      pItem->FormatLine(szLine, sizeof szLine, &dwLength);
      WriteFile(hFile, szLine, dwLength, &dwWritten, nullptr);
      if (pItem->_pBin != nullptr && pItem->_dwBinLen != 0) {
        DWORD dwDumpLength = 0;
        char* szDump = pItem->HexDump(nullptr, 0, &dwDumpLength, true, ' ');
        WriteFile(hFile, szDump, dwDumpLength, &dwWritten, nullptr);
        std::free(szDump);
      }
      _Items.pop_front();
      delete pItem;
    }
  } catch (...) {
    // Dropped; the batch ends here and the writer goes on.
  }
  LeaveCriticalSection(&_Lock);
}
