// Gathering received bytes on the watch thread and handing them to the
// window on the worker thread.
#include "ReadData.h"

#include <cstring>
#include <exception>
#include <memory>

#include "cxLog.h"

namespace {

const INT8 kLevelMessage = 0;
const INT8 kLevelException = 2;

// Holds the channel lock for its lifetime, also when an exception passes.
class ChannelLock {
 public:
  explicit ChannelLock(CRITICAL_SECTION* pLock) : lock_(pLock) { EnterCriticalSection(lock_); }
  ~ChannelLock() { LeaveCriticalSection(lock_); }

  ChannelLock(const ChannelLock&) = delete;
  ChannelLock& operator=(const ChannelLock&) = delete;

 private:
  CRITICAL_SECTION* lock_;
};

void LogDeliveryFailure(int nLine, INT8 level, const char* szMessage) {
  try {
    CxLog::Log("ReadData", nLine, level, szMessage);
  } catch (...) {
    // The log is being torn down at exit; nothing is left to tell.
  }
}

}  // namespace

ReadData::ReadData() {
  std::memset(_Buffer, 0, sizeof _Buffer);
  _dwBufferLen = 0;
  _dwDelivered = 0;
  _hTargetWnd = NULL;
}

ReadData::~ReadData() {
  // Wait for anyone inside the unit's lock.
  Lock();
  Unlock();
  // The watch thread calls OnReceive: stop it while this object is whole,
  // before the port object's own teardown runs.
  Close();
}

void ReadData::OnReceive() {
  ChannelLock lock(&_Lock);
  FillBuffer();
}

void ReadData::OnDeviceLost() {
  const HWND hWnd = _hTargetWnd;
  if (IsWindow(hWnd)) PostMessageA(hWnd, kPortLostMessage, _dwPort, 0);
}

void ReadData::FillBuffer() { _dwBufferLen += Read(_Buffer + _dwBufferLen, kReceiveBufferSize - _dwBufferLen); }

void ReadData::DoWork(void*) {
  ChannelLock lock(&_Lock);
  try {
    Deliver();
  } catch (const std::exception& error) {
    LogDeliveryFailure(81, kLevelException, error.what());
  } catch (...) {
    LogDeliveryFailure(85, kLevelMessage, "Unknow exception!");
  }
}

void ReadData::Deliver() {
  if (_dwBufferLen == 0) return;

  // The block carries its byte count, so zero bytes reach the window too.
  std::unique_ptr<ReceivedBlock> block(new ReceivedBlock);
  block->dwCount = _dwBufferLen;
  std::memcpy(block->Bytes, _Buffer, _dwBufferLen);
  const HWND hWnd = _hTargetWnd;
  if (IsWindow(hWnd) && PostMessageA(hWnd, kReceivedDataMessage, _dwPort, reinterpret_cast<LPARAM>(block.get())))
    (void)block.release();  // the window owns it now

  std::memset(_Buffer, 0, sizeof _Buffer);
  _dwDelivered += _dwBufferLen;
  _dwBufferLen = 0;

  // Bytes that stayed queued while the buffer was full would otherwise wait
  // for further input to raise another event; take them now for the next
  // delivery.
  FillBuffer();
}
