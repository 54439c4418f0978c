// Gathering received bytes on the watch thread and handing them to the
// window on the worker thread.
#include "ReadData.h"

#include <algorithm>
#include <cstring>
#include <exception>
#include <memory>

#include "LogRecordLines.h"
#include "TheWorkerThread.h"
#include "cxLog.h"

namespace {

const INT8 kLevelMessage = 0;
const INT8 kLevelException = 2;
const DWORD kStopWatchTimeoutMs = 100;

void LogDeliveryFailure(int nLine, INT8 level, const char* szMessage) {
  try {
    CxLog::Log("ReadData", nLine, level, szMessage);
  } catch (...) {
    // The log is being torn down at exit; nothing is left to tell.
  }
}

bool WorkerIsStopping() { return WaitForSingleObject(TheWorkerThread._hExitEvent, 0) == WAIT_OBJECT_0; }

}  // namespace

ReadData::ReadData() {
  EmptyBuffer();
  _dwOpening = 0;
  _dwOpeningPort = 0;
  _bDeliveryQueued = false;
  _dwDelivered = 0;
  _hTargetWnd = NULL;
}

ReadData::~ReadData() {
  // The work unit's own lock: nothing else takes it (reading and delivery
  // share _Lock), so this passes at once. Kept as the teardown has always
  // begun.
  Lock();
  Unlock();
  // The watch thread calls OnReceive: stop it while this object is whole,
  // before the port object's own teardown runs.
  Close();
  // A delivery queued for a full buffer may still wait on the worker.
  TheWorkerThread.WaitForQueuedItems();
}

void ReadData::OnReceive() {
  InnerLocker lock(&_Lock);
  FillBuffer();
}

void ReadData::OnDeviceLost() {
  const HWND hWnd = _hTargetWnd;
  if (IsWindow(hWnd)) PostMessageA(hWnd, kPortLostMessage, _dwPort, 0);
}

void ReadData::ReadIntoBuffer() {
  if (_dwBufferLen < kReceiveBufferSize) (void)ReadMarked(kReceiveBufferSize - _dwBufferLen);
}

DWORD ReadData::ReadMarked(DWORD dwMax) {
  FILETIME ftTime;
  GetSystemTimePreciseAsFileTime(&ftTime);
  const DWORD dwRead = Read(_Buffer + _dwBufferLen, dwMax);
  if (dwRead == 0) return 0;
  for (ReceiveTap* pTap : _Taps) pTap->Tapped(_Buffer + _dwBufferLen, dwRead);
  SERIAL_ARRIVAL arrivals[kMaxReadMarks];
  const DWORD dwArrivals = ReadArrivals(arrivals, dwRead);
  if (dwArrivals == 0) {
    _dwBufferLen += dwRead;
    AddMark(_dwBufferLen, ftTime);
    return dwRead;
  }
  for (DWORD i = 0; i < dwArrivals; ++i) {
    _dwBufferLen += arrivals[i].dwBytes;
    AddMark(_dwBufferLen, arrivals[i].ftArrival);
  }
  return dwRead;
}

DWORD ReadData::ReadArrivals(SERIAL_ARRIVAL* pArrivals, DWORD dwRead) {
  DWORD dwReturned = 0;
  if (!Control(IOCTL_SERIAL_GET_READ_ARRIVALS, NULL, 0, pArrivals, kMaxReadMarks * sizeof(SERIAL_ARRIVAL), &dwReturned))
    return 0;
  const DWORD dwArrivals = dwReturned / sizeof(SERIAL_ARRIVAL);
  // Taken only when they account for exactly the bytes read.
  DWORD dwBytes = 0;
  for (DWORD i = 0; i < dwArrivals; ++i) dwBytes += pArrivals[i].dwBytes;
  return dwBytes == dwRead ? dwArrivals : 0;
}

void ReadData::AddMark(DWORD dwEnd, const FILETIME& ftTime) {
  if (_dwMarks < kMaxReadMarks) _Marks[_dwMarks++].ftTime = ftTime;
  _Marks[_dwMarks - 1].dwEnd = dwEnd;
}

void ReadData::AddTap(ReceiveTap* pTap) {
  InnerLocker guard(&_Lock);
  _Taps.push_back(pTap);
}

void ReadData::RemoveTap(ReceiveTap* pTap) {
  InnerLocker guard(&_Lock);
  std::erase(_Taps, pTap);
}

void ReadData::EmptyBuffer() {
  std::memset(_Buffer, 0, sizeof _Buffer);
  std::memset(_Marks, 0, sizeof _Marks);
  _dwBufferLen = 0;
  _dwMarks = 0;
}

void ReadData::FillBuffer() {
  ReadIntoBuffer();
  if (_dwBufferLen == kReceiveBufferSize) QueueDelivery();
}

void ReadData::QueueDelivery() {
  // A full buffer does not wait for the tick: a fast line fills it many
  // times a tick. One such delivery waits at a time; a stopping worker gets
  // none, so that it can run out of items.
  if (_bDeliveryQueued || WorkerIsStopping()) return;
  _bDeliveryQueued = true;
  TheWorkerThread.AddItem(WorkerThread::InvokeObj, new WorkerThread::WorkItemObj{this, nullptr});
}

void ReadData::DoWork(void*) {
  InnerLocker lock(&_Lock);
  _bDeliveryQueued = false;
  // The delivery takes what the port holds at this moment, whether or not
  // the watcher has been told of it yet: the port may gather arrivals a
  // while before it reports them.
  ReadIntoBuffer();
  DeliverGuarded(false);
  // What waited in the port while the buffer was full is taken now, not at
  // some later arrival; a buffer full again queues the next delivery.
  FillBuffer();
}

void ReadData::DeliverGuarded(bool bLast) {
  try {
    Deliver(bLast);
  } catch (const std::exception& error) {
    LogDeliveryFailure(LogRecordLine::kDeliveryException, kLevelException, error.what());
  } catch (...) {
    LogDeliveryFailure(LogRecordLine::kDeliveryUnknown, kLevelMessage, "Unknow exception!");
  }
}

void ReadData::Deliver(bool bLast) {
  if (_dwBufferLen == 0 && !bLast) return;

  // The block carries its byte count, so zero bytes reach the window too.
  std::unique_ptr<ReceivedBlock> block(new ReceivedBlock);
  block->pChannel = this;
  block->dwOpening = _dwOpening;
  block->bLast = bLast;
  block->dwCount = _dwBufferLen;
  std::memcpy(block->Bytes, _Buffer, _dwBufferLen);
  block->dwMarks = _dwMarks;
  std::memcpy(block->Marks, _Marks, sizeof _Marks);
  const HWND hWnd = _hTargetWnd;
  if (IsWindow(hWnd) && PostMessageA(hWnd, kReceivedDataMessage, _dwOpeningPort, reinterpret_cast<LPARAM>(block.get())))
    (void)block.release();  // the window owns it now

  _dwDelivered += _dwBufferLen;
  EmptyBuffer();
}

void ReadData::Close() {
  if (_hComm == INVALID_HANDLE_VALUE) return;
  // No read may come between the last delivery and the handle's end.
  StopWatch(kStopWatchTimeoutMs);
  {
    InnerLocker lock(&_Lock);
    DeliverRemainder();
  }
  cxComm::Close();
}

void ReadData::DeliverRemainder() {
  // Only what is queued now: a line that keeps sending must not hold the
  // close up.
  COMSTAT status = {};
  DWORD dwLeft = ClearLineErrors(_hComm, &status) ? status.cbInQue : 0;
  while (dwLeft > 0) {
    const DWORD dwRead = ReadMarked(std::min(dwLeft, kReceiveBufferSize - _dwBufferLen));
    if (dwRead == 0) break;
    dwLeft -= dwRead;
    if (_dwBufferLen == kReceiveBufferSize) DeliverGuarded(false);
    if (_dwBufferLen == kReceiveBufferSize) break;  // the delivery failed: keep what it holds
  }
  DeliverGuarded(true);
}

bool ReadData::OpenPort() {
  if (_hComm != INVALID_HANDLE_VALUE) Close();
  {
    // Bytes the last opening could not hand on at its close (a delivery
    // that failed, or a read that came after it) go out as that opening's,
    // once more; the new opening starts empty either way.
    InnerLocker lock(&_Lock);
    if (_dwBufferLen > 0) DeliverGuarded(true);
    EmptyBuffer();
    ++_dwOpening;
    _dwOpeningPort = _dwPort;
  }
  return cxComm::OpenPort();
}
