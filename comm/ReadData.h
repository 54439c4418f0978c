// The serial channel of a device panel: a port object whose watch thread
// gathers received bytes into a fixed buffer, and a work unit whose DoWork,
// run on the worker thread, hands the gathered bytes to the window.
//
// The window's timer queues a delivery every tick; a buffer that fills
// before the tick queues one at once, and each delivery takes what the port
// holds, so a line of any rate is emptied as fast as it fills.
#pragma once

#include <windows.h>

#include <atomic>
#include <vector>

#include "PortMessages.h"
#include "ReceivedBlock.h"
#include "SerialArrivals.h"
#include "WorkerThread.h"
#include "cxComm.h"

// Hears what a channel reads as it is read, on the thread that reads it
// (the watch thread, or the worker at a delivery), under the channel's lock:
// for what must answer the line sooner than the window's deliveries come (a
// file transfer's protocol, a script waiting for an answer). It must not
// wait for anything.
class ReceiveTap {
 public:
  virtual void Tapped(const BYTE* pBytes, DWORD dwCount) = 0;

 protected:
  ~ReceiveTap() = default;
};

class ReadData : public WorkerThread::WorkImpl, public cxComm {
 public:
  ReadData();
  ~ReadData() override;

  // Worker thread: tops the buffer up with what the port holds, posts it to
  // _hTargetWnd as one ReceivedBlock and empties it. Posts nothing when
  // nothing came.
  void DoWork(void* pParam) override;
  // Watch thread: reads what the port has queued into the buffer's free
  // space.
  void OnReceive() override;
  // Watch thread: posts kPortLostMessage to _hTargetWnd.
  void OnDeviceLost() override;
  // Hands on everything the port received while open, the last block marked
  // as such, before the handle goes: nothing of this opening waits for a
  // later tick, which might come after the port opened again.
  void Close() override;
  // A new opening starts with an empty buffer and the next opening number.
  bool OpenPort() override;

  // Adds or removes a tap; once RemoveTap returns, the tap is called no
  // more.
  void AddTap(ReceiveTap* pTap);
  void RemoveTap(ReceiveTap* pTap);

  // _Buffer, _dwBufferLen, _Marks, _dwMarks, _dwOpening, _dwOpeningPort and _bDeliveryQueued
  // are touched only under the channel lock (cxComm::_Lock). Open sets
  // _dwPort before the last opening's bytes are handed on; they keep the
  // number they came from.
  BYTE _Buffer[kReceiveBufferSize];
  DWORD _dwBufferLen;
  ReadMark _Marks[kMaxReadMarks];  // the reads that filled _Buffer, with their times
  DWORD _dwMarks;
  DWORD _dwOpening;                     // counts the port's openings; stamped on each block
  DWORD _dwOpeningPort;                 // the port number of that opening: each block's wParam
  bool _bDeliveryQueued;                // a delivery for a full buffer waits on the worker
  std::atomic<ULONGLONG> _dwDelivered;  // every byte handed on; never reset, 64 bits so it never wraps
  std::atomic<HWND> _hTargetWnd;        // set by the window when it opens the port
  std::vector<ReceiveTap*> _Taps;       // under the channel lock

 private:
  // Deliveries under the channel lock; a failure is logged, and the bytes
  // stay for the next delivery.
  void DeliverGuarded(bool bLast);
  void Deliver(bool bLast);
  // Reads what the port holds into the buffer's free space.
  void ReadIntoBuffer();
  // Reads at most dwMax bytes into the buffer, marking them with the times
  // the port read them from the device where it tells them, else with the
  // time taken as this read began; the bytes read.
  DWORD ReadMarked(DWORD dwMax);
  // The port's arrivals of the last read of dwRead bytes, into Arrivals (at
  // most kMaxReadMarks); 0 when the port does not tell them.
  DWORD ReadArrivals(SERIAL_ARRIVAL* pArrivals, DWORD dwRead);
  // Ends the buffer's last mark at dwEnd, starting a mark at ftTime when
  // there is room for one (else the last mark counts the bytes too).
  void AddMark(DWORD dwEnd, const FILETIME& ftTime);
  // Empties the buffer and its marks.
  void EmptyBuffer();
  // The same, and queues a delivery when that fills the buffer.
  void FillBuffer();
  void QueueDelivery();
  // Hands on the bytes read but not yet delivered and what the port's input
  // queue holds now, in blocks, the last one marked.
  void DeliverRemainder();
};
