#include "FileSender.h"

#include <algorithm>
#include <vector>

#include "Assertion.h"
#include "cxComm.h"

namespace {

// The output queue is kept below a fifth of a second of the line's bytes,
// within these bounds (a few bytes at the slowest rates, so that no write
// outlasts the port's write time-outs).
constexpr DWORD kSmallestQueueTarget = 16;
constexpr DWORD kLargestQueueTarget = 16 * 1024;
// Rests between looks at a full queue: half the time it takes to drain,
// within these bounds.
constexpr DWORD kShortestRestMs = 1;
constexpr DWORD kLongestRestMs = 50;
// How often a cancel ends the thread's write again while it has not ended.
constexpr DWORD kCancelRecheckMs = 10;

}  // namespace

FileSender::FileSender() {
  _hCancel = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  ASSERT_AT(_hCancel != nullptr, "FileSender", __LINE__);
}

FileSender::~FileSender() {
  Cancel();
  CloseHandle(_hCancel);
}

DWORD FileSender::Start(const char* szPath, HANDLE hComm, DWORD dwBaudRate) {
  if (Running()) return ERROR_BUSY;
  EndThread();
  const HANDLE hFile = CreateFileA(szPath, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (hFile == INVALID_HANDLE_VALUE) return GetLastError();
  DWORD dwHigh = 0;
  const DWORD dwLow = GetFileSize(hFile, &dwHigh);
  if (dwLow == INVALID_FILE_SIZE && GetLastError() != ERROR_SUCCESS) {
    const DWORD dwError = GetLastError();
    CloseHandle(hFile);
    return dwError;
  }

  _hFile = hFile;
  _hComm = hComm;
  _qwFileSize = (ULONGLONG{dwHigh} << 32) | dwLow;
  _dwBytesPerSecond = std::max<DWORD>(dwBaudRate / 10, 1);
  _dwQueueTarget = std::clamp(_dwBytesPerSecond / 5, kSmallestQueueTarget, kLargestQueueTarget);
  _qwSent = 0;
  _qwCounted = 0;
  _dwResult = ERROR_SUCCESS;
  ResetEvent(_hCancel);
  _hThread = CreateThread(nullptr, 0, ThreadEntry, this, 0, nullptr);
  if (_hThread == nullptr) {
    const DWORD dwError = GetLastError();
    CloseHandle(_hFile);
    _hFile = INVALID_HANDLE_VALUE;
    return dwError != ERROR_SUCCESS ? dwError : ERROR_NOT_ENOUGH_MEMORY;
  }
  return ERROR_SUCCESS;
}

void FileSender::Cancel() {
  if (!Running()) {
    EndThread();
    return;
  }
  SetEvent(_hCancel);
  // Ends a write that waits for the line (what it had sent stays counted),
  // also one that began just after a purge.
  while (WaitForSingleObject(_hThread, kCancelRecheckMs) == WAIT_TIMEOUT) PurgeComm(_hComm, PURGE_TXABORT);
  EndThread();
}

bool FileSender::Running() const { return _hThread != nullptr && WaitForSingleObject(_hThread, 0) == WAIT_TIMEOUT; }

ULONGLONG FileSender::TakeNewlySent() {
  const ULONGLONG qwSent = _qwSent;
  const ULONGLONG qwNew = qwSent - _qwCounted;
  _qwCounted = qwSent;
  return qwNew;
}

void FileSender::EndThread() {
  if (_hThread == nullptr) return;
  WaitForSingleObject(_hThread, INFINITE);
  CloseHandle(_hThread);
  _hThread = nullptr;
  CloseHandle(_hFile);
  _hFile = INVALID_HANDLE_VALUE;
}

DWORD WINAPI FileSender::ThreadEntry(LPVOID pThis) {
  static_cast<FileSender*>(pThis)->Run();
  return 0;
}

void FileSender::Run() {
  std::vector<BYTE> piece(_dwQueueTarget);
  for (;;) {
    if (WaitForSingleObject(_hCancel, 0) == WAIT_OBJECT_0) {
      _dwResult = ERROR_OPERATION_ABORTED;
      return;
    }
    // A line error found here is handled as the reader handles it; the
    // status is then read again.
    COMSTAT status = {};
    if (!cxComm::ClearLineErrors(_hComm, &status) && !ClearCommError(_hComm, nullptr, &status)) {
      _dwResult = GetLastError();
      return;
    }
    if (status.cbOutQue >= _dwQueueTarget) {
      const ULONGLONG qwDrainMs = ULONGLONG{status.cbOutQue} * 1000 / _dwBytesPerSecond;
      WaitForSingleObject(_hCancel,
                          static_cast<DWORD>(std::clamp<ULONGLONG>(qwDrainMs / 2, kShortestRestMs, kLongestRestMs)));
      continue;
    }

    DWORD dwRead = 0;
    if (!ReadFile(_hFile, piece.data(), _dwQueueTarget - status.cbOutQue, &dwRead, nullptr)) {
      _dwResult = GetLastError();
      return;
    }
    if (dwRead == 0) return;  // the whole file went

    for (DWORD dwDone = 0; dwDone < dwRead;) {
      DWORD dwWritten = 0;
      const BOOL bWritten = WriteFile(_hComm, piece.data() + dwDone, dwRead - dwDone, &dwWritten, nullptr);
      dwDone += dwWritten;
      _qwSent += dwWritten;
      if (WaitForSingleObject(_hCancel, 0) == WAIT_OBJECT_0) {
        _dwResult = ERROR_OPERATION_ABORTED;
        return;
      }
      if (!bWritten) {
        _dwResult = GetLastError();
        return;
      }
    }
  }
}
