#include "PendingWrites.h"

#include <cstring>

namespace {

// Entries kept for reuse, each with its event; more are closed.
const size_t kKeptFreeEntries = 8;
// How long the destructor waits for writes the system still holds.
const DWORD kDestructionWaitMs = 1000;

}  // namespace

PendingWrites::~PendingWrites() {
  Settle(kDestructionWaitMs);
  // A write the system has not ended may still read its bytes: leaving them
  // allocated costs a little memory in a case that should not occur; freeing
  // them could send other bytes or fault.
  for (std::unique_ptr<Entry>& entry : _Pending) entry.release();
  for (std::unique_ptr<Entry>& entry : _Free) CloseHandle(entry->overlapped.hEvent);
}

DWORD PendingWrites::Start(HANDLE hComm, const void* pData, DWORD dwLength) {
  InnerLocker lock(&_Lock);
  ReapEnded(hComm);
  std::unique_ptr<Entry> entry = TakeFree();
  if (!entry) return 0;
  const char* bytes = static_cast<const char*>(pData);
  entry->bytes.assign(bytes, bytes + dwLength);

  DWORD dwWritten = 0;
  if (WriteFile(hComm, entry->bytes.data(), dwLength, &dwWritten, &entry->overlapped)) {
    GiveBack(std::move(entry));
    return dwWritten;
  }
  if (GetLastError() != ERROR_IO_PENDING) {
    GiveBack(std::move(entry));
    return 0;
  }
  _Pending.push_back(std::move(entry));
  return dwLength;
}

void PendingWrites::Settle(DWORD dwTimeoutMs) {
  InnerLocker lock(&_Lock);
  const DWORD dwStart = GetTickCount();
  std::vector<std::unique_ptr<Entry>> stillPending;
  for (std::unique_ptr<Entry>& entry : _Pending) {
    const DWORD dwSpent = GetTickCount() - dwStart;  // unsigned: right across a wrap
    const DWORD dwLeft = dwSpent < dwTimeoutMs ? dwTimeoutMs - dwSpent : 0;
    if (WaitForSingleObject(entry->overlapped.hEvent, dwLeft) == WAIT_OBJECT_0)
      GiveBack(std::move(entry));
    else
      stillPending.push_back(std::move(entry));
  }
  _Pending = std::move(stillPending);
}

size_t PendingWrites::InFlight() {
  InnerLocker lock(&_Lock);
  return _Pending.size();
}

void PendingWrites::ReapEnded(HANDLE hComm) {
  std::vector<std::unique_ptr<Entry>> stillPending;
  for (std::unique_ptr<Entry>& entry : _Pending) {
    DWORD dwDone = 0;
    if (!GetOverlappedResult(hComm, &entry->overlapped, &dwDone, FALSE) && GetLastError() == ERROR_IO_INCOMPLETE)
      stillPending.push_back(std::move(entry));
    else
      GiveBack(std::move(entry));
  }
  _Pending = std::move(stillPending);
}

std::unique_ptr<PendingWrites::Entry> PendingWrites::TakeFree() {
  std::unique_ptr<Entry> entry;
  if (!_Free.empty()) {
    entry = std::move(_Free.back());
    _Free.pop_back();
  } else {
    entry = std::make_unique<Entry>();
    entry->overlapped.hEvent = CreateEventA(NULL, TRUE, FALSE, NULL);
    if (entry->overlapped.hEvent == NULL) return nullptr;
  }
  const HANDLE hEvent = entry->overlapped.hEvent;
  std::memset(&entry->overlapped, 0, sizeof entry->overlapped);
  entry->overlapped.hEvent = hEvent;
  return entry;
}

void PendingWrites::GiveBack(std::unique_ptr<Entry> entry) {
  if (_Free.size() >= kKeptFreeEntries) {
    CloseHandle(entry->overlapped.hEvent);
    return;
  }
  entry->bytes.clear();
  _Free.push_back(std::move(entry));
}
