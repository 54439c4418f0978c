// The serial channel of a device panel: a port object whose watch thread
// gathers received bytes into a fixed buffer, and a work unit whose DoWork,
// run on the worker thread, hands the gathered bytes to the window.
#pragma once

#include <windows.h>

#include <atomic>

#include "PortLostMessage.h"
#include "ReceivedBlock.h"
#include "WorkerThread.h"
#include "cxComm.h"

class ReadData : public WorkerThread::WorkImpl, public cxComm {
 public:
  ReadData();
  ~ReadData() override;

  // Worker thread: posts the gathered bytes to _hTargetWnd as one
  // ReceivedBlock and empties the buffer. Posts nothing when it is empty.
  void DoWork(void* pParam) override;
  // Watch thread: reads what the port has queued into the buffer's free
  // space.
  void OnReceive() override;
  // Watch thread: posts kPortLostMessage to _hTargetWnd.
  void OnDeviceLost() override;

  // _Buffer and _dwBufferLen are touched only under the channel lock
  // (cxComm::_Lock).
  BYTE _Buffer[kReceiveBufferSize];
  DWORD _dwBufferLen;
  std::atomic<ULONGLONG> _dwDelivered;  // every byte handed on; never reset, 64 bits so it never wraps
  std::atomic<HWND> _hTargetWnd;        // set by the window when it opens the port

 private:
  void Deliver();
  void FillBuffer();
};
