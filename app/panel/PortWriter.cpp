#include "PortWriter.h"

#include <algorithm>
#include <vector>

#include "Assertion.h"
#include "cxComm.h"

namespace {

// The output queue is kept below a fifth of a second of the line's bytes
// while a file is sent, within these bounds (a few bytes at the slowest
// rates, so that no write outlasts the port's write time-outs).
constexpr DWORD kSmallestQueueTarget = 16;
constexpr DWORD kLargestQueueTarget = 16 * 1024;
// Rests between looks at a full queue: half the time it takes to drain,
// within these bounds.
constexpr DWORD kShortestRestMs = 1;
constexpr DWORD kLongestRestMs = 50;
// How often a stop ends the thread's write again while it has not ended.
constexpr DWORD kStopRecheckMs = 10;

// A line ends after LF, and after a CR that no LF follows (as far as the
// bytes in hand tell).
bool EndsALine(const BYTE* pBytes, DWORD dwAt, DWORD dwCount) {
  return pBytes[dwAt] == '\n' || (pBytes[dwAt] == '\r' && (dwAt + 1 == dwCount || pBytes[dwAt + 1] != '\n'));
}

}  // namespace

PortWriter::PortWriter() {
  _hCancel = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  _hSkipFile = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  _hWork = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  ASSERT_AT(_hCancel != nullptr && _hSkipFile != nullptr && _hWork != nullptr, "PortWriter", __LINE__);
}

PortWriter::~PortWriter() {
  Cancel();
  CloseHandle(_hWork);
  CloseHandle(_hSkipFile);
  CloseHandle(_hCancel);
}

bool PortWriter::Queue(HANDLE hComm, const std::string& Bytes, SendPacing Pace, bool Echo) {
  {
    InnerLocker guard(&_Lock);
    if (_nQueuedBytes + Bytes.size() > kQueueLimit) return false;
    if (Bytes.empty()) return true;
  }
  if (!StartThread(hComm)) return false;
  InnerLocker guard(&_Lock);
  _Jobs.push_back(Job{Bytes, INVALID_HANDLE_VALUE, false, Pace, Echo});
  _nQueuedBytes += Bytes.size();
  _bRunning = true;
  SetEvent(_hWork);
  return true;
}

DWORD PortWriter::QueueFile(HANDLE hComm, HANDLE hFile, DWORD dwBaudRate, SendPacing Pace, bool Echo) {
  DWORD dwHigh = 0;
  const DWORD dwLow = GetFileSize(hFile, &dwHigh);
  const ULONGLONG qwSize =
      dwLow == INVALID_FILE_SIZE && GetLastError() != ERROR_SUCCESS ? 0 : (ULONGLONG{dwHigh} << 32) | dwLow;
  return QueueSource(hComm, hFile, false, qwSize, dwBaudRate, Pace, Echo);
}

DWORD PortWriter::QueueStream(HANDLE hComm, HANDLE hSource, DWORD dwBaudRate, SendPacing Pace) {
  return QueueSource(hComm, hSource, true, 0, dwBaudRate, Pace, false);
}

DWORD PortWriter::QueueSource(HANDLE hComm, HANDLE hSource, bool bStream, ULONGLONG qwSize, DWORD dwBaudRate,
                              SendPacing Pace, bool Echo) {
  {
    InnerLocker guard(&_Lock);
    if (_File.Running || _bStreamRunning) return ERROR_BUSY;
  }
  if (!StartThread(hComm)) {
    const DWORD dwError = GetLastError();
    return dwError != ERROR_SUCCESS ? dwError : ERROR_NOT_ENOUGH_MEMORY;
  }
  InnerLocker guard(&_Lock);
  ResetEvent(_hSkipFile);
  _dwBaudRate = dwBaudRate;
  if (bStream)
    _bStreamRunning = true;
  else
    _File = FileProgress{true, qwSize, 0, ERROR_SUCCESS};
  _Jobs.push_back(Job{std::string(), hSource, bStream, Pace, Echo});
  _bRunning = true;
  SetEvent(_hWork);
  return ERROR_SUCCESS;
}

void PortWriter::StopStream() {
  {
    InnerLocker guard(&_Lock);
    if (!_bStreamRunning) return;
    SetEvent(_hSkipFile);
  }
  for (;;) {
    {
      InnerLocker guard(&_Lock);
      if (!_bStreamRunning) return;
    }
    PurgeComm(_hComm, PURGE_TXABORT);
    Sleep(kStopRecheckMs);
  }
}

bool PortWriter::StreamRunning() const {
  InnerLocker guard(&_Lock);
  return _bStreamRunning;
}

void PortWriter::CancelFile() {
  {
    InnerLocker guard(&_Lock);
    if (!_File.Running) return;
    SetEvent(_hSkipFile);
  }
  // Ends a write that waits for the line (what it sent stays counted), also
  // one that began just after a purge.
  for (;;) {
    {
      InnerLocker guard(&_Lock);
      if (!_File.Running) return;
    }
    PurgeComm(_hComm, PURGE_TXABORT);
    Sleep(kStopRecheckMs);
  }
}

void PortWriter::Cancel() {
  if (_hThread == nullptr) return;
  SetEvent(_hCancel);
  while (WaitForSingleObject(_hThread, kStopRecheckMs) == WAIT_TIMEOUT) PurgeComm(_hComm, PURGE_TXABORT);
  CloseHandle(_hThread);
  _hThread = nullptr;
  _hComm = INVALID_HANDLE_VALUE;
  InnerLocker guard(&_Lock);
  _nInHand = 0;
  DropQueue();
  EndOpenSend();
  if (_File.Running) {
    _File.Running = false;
    _File.Result = ERROR_OPERATION_ABORTED;
  }
  _bStreamRunning = false;
  _bRunning = false;
}

bool PortWriter::Busy() const {
  InnerLocker guard(&_Lock);
  return _bRunning;
}

std::vector<PortWriter::SentPart> PortWriter::TakeSent() {
  std::vector<SentPart> sent;
  InnerLocker guard(&_Lock);
  sent.swap(_Sent);
  return sent;
}

PortWriter::FileProgress PortWriter::File() const {
  InnerLocker guard(&_Lock);
  return _File;
}

bool PortWriter::StartThread(HANDLE hComm) {
  if (_hThread != nullptr) return true;
  _hComm = hComm;
  ResetEvent(_hCancel);
  _hThread = CreateThread(nullptr, 0, ThreadEntry, this, 0, nullptr);
  return _hThread != nullptr;
}

DWORD WINAPI PortWriter::ThreadEntry(LPVOID pThis) {
  static_cast<PortWriter*>(pThis)->Run();
  return 0;
}

bool PortWriter::NextJob(Job& Next) {
  InnerLocker guard(&_Lock);
  if (_Jobs.empty()) {
    _bRunning = false;
    ResetEvent(_hWork);
    return false;
  }
  Next = std::move(_Jobs.front());
  _Jobs.pop_front();
  _nInHand = Next.Bytes.size();  // counted as waiting until written
  return true;
}

void PortWriter::Run() {
  for (;;) {
    const HANDLE handles[2] = {_hCancel, _hWork};
    if (WaitForMultipleObjects(2, handles, FALSE, INFINITE) != WAIT_OBJECT_0 + 1) return;
    Job job;
    while (NextJob(job)) {
      if (job.hFile != INVALID_HANDLE_VALUE) {
        SendFile(job);
      } else if (!WritePaced(reinterpret_cast<const BYTE*>(job.Bytes.data()), static_cast<DWORD>(job.Bytes.size()), job,
                             true)) {
        // The port refused the bytes (its device gone) or a cancel came:
        // what waits is dropped, as a refused send is not counted.
        InnerLocker guard(&_Lock);
        DropQueue();
      }
      if (Stopped(false)) return;
    }
  }
}

void PortWriter::SendFile(const Job& File) {
  const DWORD dwBytesPerSecond = std::max<DWORD>(_dwBaudRate / 10, 1);
  const DWORD dwQueueTarget = std::clamp(dwBytesPerSecond / 5, kSmallestQueueTarget, kLargestQueueTarget);
  std::vector<BYTE> piece(dwQueueTarget);
  DWORD dwResult = ERROR_SUCCESS;
  for (;;) {
    if (Stopped(true)) {
      dwResult = ERROR_OPERATION_ABORTED;
      break;
    }
    // A line error found here is handled as the reader handles it; the
    // status is then read again.
    COMSTAT status = {};
    if (!cxComm::ClearLineErrors(_hComm, &status) && !ClearCommError(_hComm, nullptr, &status)) {
      dwResult = GetLastError();
      break;
    }
    if (status.cbOutQue >= dwQueueTarget) {
      const ULONGLONG qwDrainMs = ULONGLONG{status.cbOutQue} * 1000 / dwBytesPerSecond;
      const HANDLE stops[2] = {_hCancel, _hSkipFile};
      WaitForMultipleObjects(2, stops, FALSE,
                             static_cast<DWORD>(std::clamp<ULONGLONG>(qwDrainMs / 2, kShortestRestMs, kLongestRestMs)));
      continue;
    }
    DWORD dwRead = 0;
    if (!ReadFile(File.hFile, piece.data(), dwQueueTarget - status.cbOutQue, &dwRead, nullptr)) {
      dwResult = GetLastError();
      // A stream ends when its writers have gone.
      if (File.Stream && dwResult == ERROR_BROKEN_PIPE) dwResult = ERROR_SUCCESS;
      break;
    }
    if (dwRead == 0) break;  // the whole file went
    if (!WritePaced(piece.data(), dwRead, File, false)) {
      dwResult = Stopped(true) ? ERROR_OPERATION_ABORTED : GetLastError();
      if (dwResult == ERROR_SUCCESS) dwResult = ERROR_WRITE_FAULT;
      break;
    }
  }
  CloseHandle(File.hFile);
  InnerLocker guard(&_Lock);
  EndOpenSend();
  if (File.Stream) {
    _bStreamRunning = false;
    return;
  }
  _File.Running = false;
  _File.Result = dwResult;
}

bool PortWriter::WritePaced(const BYTE* pBytes, DWORD dwCount, const Job& Of, bool bLast) {
  const bool bFile = Of.hFile != INVALID_HANDLE_VALUE;
  if (!Of.Pace.On()) {
    const DWORD dwTaken = WriteWaited(pBytes, dwCount, bFile);
    InnerLocker guard(&_Lock);
    Went(pBytes, dwTaken, Of.Echo, bLast || dwTaken < dwCount);
    if (!bFile) {
      _nQueuedBytes -= dwTaken;
      _nInHand -= dwTaken;
    }
    return dwTaken == dwCount;
  }
  for (DWORD n = 0; n < dwCount; ++n) {
    if (!WaitUntil(_qwNextWrite, bFile)) {
      InnerLocker guard(&_Lock);
      EndOpenSend();
      return false;
    }
    const DWORD dwTaken = WriteWaited(pBytes + n, 1, bFile);
    const DWORD dwPauseMs =
        EndsALine(pBytes, n, dwCount) && Of.Pace.LineGapMs > 0 ? Of.Pace.LineGapMs : Of.Pace.CharGapMs;
    _qwNextWrite = GetTickCount64() + dwPauseMs;
    InnerLocker guard(&_Lock);
    Went(pBytes + n, dwTaken, Of.Echo, (bLast && n + 1 == dwCount) || dwTaken == 0);
    if (!bFile) {
      _nQueuedBytes -= dwTaken;
      _nInHand -= dwTaken;
    }
    if (dwTaken == 0) return false;
  }
  return true;
}

DWORD PortWriter::WriteWaited(const BYTE* pBytes, DWORD dwCount, bool bFile) {
  DWORD dwDone = 0;
  while (dwDone < dwCount) {
    DWORD dwWritten = 0;
    // No OVERLAPPED record: the call returns once the line took the bytes
    // or the port's write time-outs ended it.
    const BOOL bWritten = WriteFile(_hComm, pBytes + dwDone, dwCount - dwDone, &dwWritten, nullptr);
    dwDone += dwWritten;
    if (!bWritten || Stopped(bFile)) break;
  }
  if (bFile) {
    InnerLocker guard(&_Lock);
    if (!_bStreamRunning) _File.Sent += dwDone;  // a stream is no file
  }
  return dwDone;
}

bool PortWriter::WaitUntil(ULONGLONG qwDueMs, bool bFile) {
  const HANDLE stops[2] = {_hCancel, _hSkipFile};
  const DWORD dwStops = bFile ? 2 : 1;
  for (;;) {
    const ULONGLONG qwNow = GetTickCount64();
    if (qwNow >= qwDueMs) return !Stopped(bFile);
    if (WaitForMultipleObjects(dwStops, stops, FALSE, static_cast<DWORD>(qwDueMs - qwNow)) != WAIT_TIMEOUT)
      return false;
  }
}

bool PortWriter::Stopped(bool bFile) const {
  if (WaitForSingleObject(_hCancel, 0) == WAIT_OBJECT_0) return true;
  return bFile && WaitForSingleObject(_hSkipFile, 0) == WAIT_OBJECT_0;
}

void PortWriter::Went(const BYTE* pBytes, DWORD dwCount, bool bEcho, bool bEnds) {
  if (dwCount == 0 && !_bSendOpen) return;  // nothing of this send went
  if (_Sent.empty() || _Sent.back().Ends || _Sent.back().Echo != bEcho) _Sent.push_back(SentPart{{}, false, bEcho});
  _Sent.back().Bytes.append(reinterpret_cast<const char*>(pBytes), dwCount);
  _Sent.back().Ends = bEnds;
  _bSendOpen = !bEnds;
}

void PortWriter::EndOpenSend() {
  if (!_bSendOpen) return;
  _bSendOpen = false;
  if (_Sent.empty() || _Sent.back().Ends) _Sent.push_back(SentPart{{}, false, true});
  _Sent.back().Ends = true;
}

void PortWriter::DropQueue() {
  for (const Job& job : _Jobs) {
    if (job.hFile == INVALID_HANDLE_VALUE) continue;
    CloseHandle(job.hFile);
    if (job.Stream) {
      _bStreamRunning = false;
      continue;
    }
    _File.Running = false;
    _File.Result = ERROR_OPERATION_ABORTED;
  }
  _Jobs.clear();
  _nQueuedBytes = _nInHand;  // the job in hand counts until the thread is done with it
}
