// The port's writes still in flight, each with its own copy of the bytes and
// its own overlapped record. An overlapped write reads its buffer until it
// completes, and one record serves one operation at a time; the callers'
// buffers are free as soon as Write returns, so the bytes are kept here.
#pragma once

#include <windows.h>

#include <memory>
#include <vector>

#include "Locker.h"

class PendingWrites {
 public:
  PendingWrites() = default;
  // Waits a short while for writes still in flight; what the system has not
  // finished with by then is left allocated rather than freed under it.
  ~PendingWrites();

  PendingWrites(const PendingWrites&) = delete;
  PendingWrites& operator=(const PendingWrites&) = delete;

  // Starts an overlapped write of a copy of the bytes without waiting for
  // it. Returns what the port took: all of them when the write is pending or
  // done, 0 when it was refused.
  DWORD Start(HANDLE hComm, const void* pData, DWORD dwLength);
  // After the port's handle is closed (which ends its writes): waits up to
  // dwTimeoutMs in all for the writes still in flight to end.
  void Settle(DWORD dwTimeoutMs);
  // Writes started and not yet seen to end.
  size_t InFlight();

 private:
  struct Entry {
    OVERLAPPED overlapped;
    std::vector<char> bytes;
  };
  // Moves the writes that have ended from the pending list to the free one.
  void ReapEnded(HANDLE hComm);
  std::unique_ptr<Entry> TakeFree();
  void GiveBack(std::unique_ptr<Entry> entry);

  std::vector<std::unique_ptr<Entry>> _Pending;
  std::vector<std::unique_ptr<Entry>> _Free;
  LockerImpl _Lock;  // Write may be called from more than one thread
};
