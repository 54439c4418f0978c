#include "FileAppender.h"

#include <algorithm>

#include "Assertion.h"
#include "QueueThread.h"

namespace {

// Bytes queued together go into one buffer up to this size, so that a
// stream of small blocks becomes few writes.
constexpr size_t kLargestBuffer = 64 * 1024;

}  // namespace

FileAppender::FileAppender(size_t nQueueLimit) : _nQueueLimit(nQueueLimit) {
  _hWork = CreateEventA(nullptr, FALSE, FALSE, nullptr);
  _hFinish = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  ASSERT_AT(_hWork != nullptr && _hFinish != nullptr, "FileAppender", __LINE__);
}

FileAppender::~FileAppender() {
  Finish();
  if (_hThread != nullptr) {
    WaitForSingleObject(_hThread, INFINITE);
    CloseHandle(_hThread);
  }
  if (_hFile != INVALID_HANDLE_VALUE) CloseHandle(_hFile);
  CloseHandle(_hWork);
  CloseHandle(_hFinish);
}

DWORD FileAppender::Start(const char* szPath) {
  if (_hThread != nullptr || _hFile != INVALID_HANDLE_VALUE) return ERROR_INVALID_FUNCTION;
  _hFile = CreateFileA(szPath, GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (_hFile == INVALID_HANDLE_VALUE) return GetLastError();
  {
    InnerLocker lock(&_Lock);
    _bTaking = true;
  }
  _hThread = CreateThread(nullptr, 0, ThreadEntry, this, 0, nullptr);
  if (_hThread == nullptr) {
    const DWORD dwError = GetLastError();
    {
      InnerLocker lock(&_Lock);
      _bTaking = false;
    }
    CloseHandle(_hFile);
    _hFile = INVALID_HANDLE_VALUE;
    return dwError != ERROR_SUCCESS ? dwError : ERROR_NOT_ENOUGH_MEMORY;
  }
  return ERROR_SUCCESS;
}

bool FileAppender::Append(const void* pData, DWORD dwLength) {
  {
    InnerLocker lock(&_Lock);
    if (!Room(dwLength)) return false;
    const char* pBytes = static_cast<const char*>(pData);
    if (_Queue.empty() || _Queue.back().size() + dwLength > kLargestBuffer) {
      _Queue.emplace_back();
      _Queue.back().reserve(std::max<size_t>(dwLength, kLargestBuffer));
    }
    _Queue.back().append(pBytes, dwLength);
    _nQueued += dwLength;
  }
  SetEvent(_hWork);
  return true;
}

bool FileAppender::Append(std::string&& Bytes) {
  {
    InnerLocker lock(&_Lock);
    if (!Room(Bytes.size())) return false;
    _nQueued += Bytes.size();
    _Queue.push_back(std::move(Bytes));
  }
  SetEvent(_hWork);
  return true;
}

bool FileAppender::Room(size_t nLength) {
  if (!_bTaking) return false;
  if (_nQueued + nLength <= _nQueueLimit) return true;
  // The disk does not keep up: stop here rather than leave a hole.
  _bTaking = false;
  _bOverflowed = true;
  SetEvent(_hFinish);
  return false;
}

void FileAppender::Finish() {
  {
    InnerLocker lock(&_Lock);
    _bTaking = false;
  }
  SetEvent(_hFinish);
}

bool FileAppender::EndWhileWriting(DWORD dwStallMs) {
  Finish();
  if (_hThread == nullptr) return true;
  ULONGLONG qwSeen = _qwWritten;
  for (;;) {
    if (WaitForSingleObject(_hThread, dwStallMs) == WAIT_OBJECT_0) return true;
    const ULONGLONG qwNow = _qwWritten;
    if (qwNow == qwSeen) return false;
    qwSeen = qwNow;
  }
}

bool FileAppender::Taking() const {
  InnerLocker lock(&_Lock);
  return _bTaking;
}

bool FileAppender::Ended() const { return _hThread == nullptr || WaitForSingleObject(_hThread, 0) == WAIT_OBJECT_0; }

DWORD WINAPI FileAppender::ThreadEntry(LPVOID pThis) {
  static_cast<FileAppender*>(pThis)->Run();
  return 0;
}

void FileAppender::Run() {
  for (;;) {
    // Nothing is queued once the finish is seen, so the write that follows
    // it is the last.
    const WakeReason reason = WaitForWorkOrStop(_hWork, _hFinish);
    if (!WriteQueued() || reason == WakeReason::Stop) break;
  }
  CloseHandle(_hFile);
  _hFile = INVALID_HANDLE_VALUE;
}

bool FileAppender::WriteQueued() {
  std::deque<std::string> batch;
  {
    InnerLocker lock(&_Lock);
    batch.swap(_Queue);
  }
  for (const std::string& buffer : batch) {
    DWORD dwWritten = 0;
    const BOOL bWritten = WriteFile(_hFile, buffer.data(), static_cast<DWORD>(buffer.size()), &dwWritten, nullptr);
    _qwWritten += dwWritten;
    {
      InnerLocker lock(&_Lock);
      _nQueued -= buffer.size();
    }
    if (!bWritten || dwWritten != buffer.size()) {
      const DWORD dwError = bWritten ? ERROR_SUCCESS : GetLastError();
      _dwError = dwError != ERROR_SUCCESS ? dwError : ERROR_PARTIAL_COPY;
      InnerLocker lock(&_Lock);
      _bTaking = false;
      _Queue.clear();
      _nQueued = 0;
      return false;
    }
  }
  return true;
}
