#include "PacedSender.h"

#include <cstring>

#include "Assertion.h"

namespace {

// A line ends after LF, and after a CR that no LF follows.
bool EndsALine(char Byte, const std::deque<char>& Rest) {
  return Byte == '\n' || (Byte == '\r' && (Rest.empty() || Rest.front() != '\n'));
}

}  // namespace

PacedSender::PacedSender() {
  _hCancel = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  _hWork = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  std::memset(&_Write, 0, sizeof _Write);
  _Write.hEvent = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  ASSERT_AT(_hCancel != nullptr && _hWork != nullptr && _Write.hEvent != nullptr, "PacedSender", __LINE__);
}

PacedSender::~PacedSender() {
  Cancel();
  CloseHandle(_Write.hEvent);
  CloseHandle(_hWork);
  CloseHandle(_hCancel);
}

bool PacedSender::Send(HANDLE hComm, const std::string& Bytes, DWORD dwCharGapMs, DWORD dwLineGapMs) {
  {
    InnerLocker guard(&_Lock);
    if (_Queue.size() + Bytes.size() > kQueueLimit) return false;
    _Queue.insert(_Queue.end(), Bytes.begin(), Bytes.end());
    if (!Bytes.empty()) _SendSizes.push_back(Bytes.size());
    _dwCharGapMs = dwCharGapMs;
    _dwLineGapMs = dwLineGapMs;
    _bRunning = _bRunning || !Bytes.empty();
    SetEvent(_hWork);
  }
  if (_hThread != nullptr) return true;
  _hComm = hComm;
  ResetEvent(_hCancel);
  _hThread = CreateThread(nullptr, 0, ThreadEntry, this, 0, nullptr);
  if (_hThread != nullptr) return true;
  InnerLocker guard(&_Lock);
  DropQueue();
  _bRunning = false;
  return false;
}

void PacedSender::Cancel() {
  if (_hThread == nullptr) return;
  {
    InnerLocker guard(&_Lock);
    _Queue.clear();
    _SendSizes.clear();
  }
  // The thread aborts a write that waits for the line itself.
  SetEvent(_hCancel);
  WaitForSingleObject(_hThread, INFINITE);
  CloseHandle(_hThread);
  _hThread = nullptr;
  _hComm = INVALID_HANDLE_VALUE;
  InnerLocker guard(&_Lock);
  // The byte the thread had in hand went or not: its send is over now.
  DropQueue();
  _bRunning = false;
}

bool PacedSender::Busy() const {
  InnerLocker guard(&_Lock);
  return _bRunning;
}

std::vector<PacedSender::SentPart> PacedSender::TakeSent() {
  std::vector<SentPart> sent;
  InnerLocker guard(&_Lock);
  sent.swap(_Sent);
  return sent;
}

DWORD WINAPI PacedSender::ThreadEntry(LPVOID pThis) {
  static_cast<PacedSender*>(pThis)->Run();
  return 0;
}

bool PacedSender::NextByte(BYTE& Byte, DWORD& dwPauseMs, bool& bLast) {
  InnerLocker guard(&_Lock);
  if (_Queue.empty()) {
    _bRunning = false;
    ResetEvent(_hWork);
    return false;
  }
  const char next = _Queue.front();
  _Queue.pop_front();
  Byte = static_cast<BYTE>(next);
  dwPauseMs = EndsALine(next, _Queue) && _dwLineGapMs > 0 ? _dwLineGapMs : _dwCharGapMs;
  bLast = --_SendSizes.front() == 0;
  if (bLast) _SendSizes.pop_front();
  return true;
}

void PacedSender::Went(char Byte, bool bLast) {
  if (_Sent.empty() || _Sent.back().Ends) _Sent.emplace_back();
  _Sent.back().Bytes.push_back(Byte);
  _Sent.back().Ends = bLast;
  _bSendOpen = !bLast;
}

void PacedSender::DropQueue() {
  _Queue.clear();
  _SendSizes.clear();
  if (!_bSendOpen) return;
  _bSendOpen = false;
  if (_Sent.empty() || _Sent.back().Ends) _Sent.emplace_back();
  _Sent.back().Ends = true;
}

bool PacedSender::WaitUntil(ULONGLONG qwDueMs) {
  for (;;) {
    const ULONGLONG qwNow = GetTickCount64();
    if (qwNow >= qwDueMs) return WaitForSingleObject(_hCancel, 0) != WAIT_OBJECT_0;
    if (WaitForSingleObject(_hCancel, static_cast<DWORD>(qwDueMs - qwNow)) == WAIT_OBJECT_0) return false;
  }
}

bool PacedSender::WriteByte(BYTE Byte) {
  DWORD dwWritten = 0;
  if (!WriteFile(_hComm, &Byte, 1, &dwWritten, &_Write)) {
    if (GetLastError() != ERROR_IO_PENDING) return false;
    const HANDLE handles[2] = {_hCancel, _Write.hEvent};
    // A line held by flow control keeps the write waiting: a cancel ends it.
    if (WaitForMultipleObjects(2, handles, FALSE, INFINITE) == WAIT_OBJECT_0) PurgeComm(_hComm, PURGE_TXABORT);
    if (!GetOverlappedResult(_hComm, &_Write, &dwWritten, TRUE)) return false;
  }
  return dwWritten == 1;
}

void PacedSender::Run() {
  ULONGLONG qwNextWrite = 0;  // when the pause after the last byte ends
  for (;;) {
    const HANDLE handles[2] = {_hCancel, _hWork};
    if (WaitForMultipleObjects(2, handles, FALSE, INFINITE) != WAIT_OBJECT_0 + 1) return;
    BYTE byte = 0;
    DWORD dwPauseMs = 0;
    bool bLast = false;
    while (NextByte(byte, dwPauseMs, bLast)) {
      if (!WaitUntil(qwNextWrite)) return;
      const bool bTaken = WriteByte(byte);
      qwNextWrite = GetTickCount64() + dwPauseMs;
      InnerLocker guard(&_Lock);
      if (bTaken) {
        Went(static_cast<char>(byte), bLast);
      } else {
        // The port refused the byte (its device gone, or a cancel): what
        // waits is dropped, as a refused send is not counted.
        DropQueue();
      }
    }
  }
}
