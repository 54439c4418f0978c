// The worker thread: a queue of work items under the worker's lock, a
// semaphore counting them and an exit event.
#include "WorkerThread.h"

#include <cstdio>
#include <cstdlib>
#include <memory>

#include "QueueThread.h"

namespace {

// How long the worker has at exit to finish the item it runs: one item is
// one delivery, so a worker still busy after this is stuck.
const DWORD kWorkerStopMs = 5000;

}  // namespace

WorkerThread::WorkImpl::~WorkImpl() = default;

WorkerThread::WorkerThread() : _hExitEvent(nullptr), _hSemaphore(nullptr), _hThread(nullptr), _dwThreadId(0) {
  _hExitEvent = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  _hSemaphore = CreateSemaphoreA(nullptr, 0, 0x7FFFFFFF, nullptr);
  _hThread = StartQueueThread(&WorkerThread::ThreadProc, this, &_dwThreadId);
  if (_hThread != nullptr) {
    SetThreadPriority(_hThread, THREAD_PRIORITY_NORMAL);
  } else {
    MessageBoxA(nullptr, "Create thread fail!", "WorkerThread", MB_OK);
  }
}

WorkerThread::~WorkerThread() {
  // A routine that never returns: the thread stops at its next wait (it
  // touches nothing of this object between a routine and that wait); the
  // three handles stay open, so that it never waits on a closed handle.
  bool threadEnded = true;
  if (_hThread != nullptr)
    threadEnded = StopQueueThread(_hThread, _hExitEvent, kWorkerStopMs);
  else
    SetEvent(_hExitEvent);
  DeleteQueuedItems();
  if (threadEnded) {
    if (_hThread != nullptr) CloseHandle(_hThread);
    CloseHandle(_hSemaphore);
    CloseHandle(_hExitEvent);
  }
}

void WorkerThread::OnThreadStart() {
  if (FAILED(CoInitialize(nullptr))) {
    MessageBoxA(nullptr, "COM CoInitialize fail!", "WorkerThread", MB_OK);
    std::fflush(nullptr);
    // Ends the process at once, as the system's process exit does: the
    // program's own exit clean-up would wait for this very thread.
    std::_Exit(1);
  }
}

void WorkerThread::OnThreadEnd() { CoUninitialize(); }

void WorkerThread::AddItem(WorkRoutine routine, void* pParam) {
  {
    InnerLocker lock(this);
    _Items.push_back(new WorkItem{routine, pParam});
  }
  // Counted once the queue is let go: the worker it wakes takes the queue
  // at once and must not find it still held.
  ReleaseSemaphore(_hSemaphore, 1, nullptr);
}

namespace {

void SignalFence(void* pEvent) { SetEvent(static_cast<HANDLE>(pEvent)); }

}  // namespace

void WorkerThread::WaitForQueuedItems() {
  // Items run in queue order, so once an item queued now has run, every
  // item queued before it has finished.
  HANDLE fence = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  if (fence == nullptr) {
    WaitForSingleObject(_hThread, INFINITE);
    return;
  }
  AddItem(SignalFence, fence);
  HANDLE either[] = {fence, _hThread};
  WaitForMultipleObjects(2, either, FALSE, INFINITE);
  // The fence item may still be queued (the thread ended): it is deleted
  // without running, so the event may be closed now.
  CloseHandle(fence);
}

// The record is deleted even when DoWork throws.
void WorkerThread::InvokeObj(void* pParam) {
  const std::unique_ptr<WorkItemObj> pItemObj(static_cast<WorkItemObj*>(pParam));
  if (pItemObj != nullptr && pItemObj->_pObj != nullptr) pItemObj->_pObj->DoWork(pItemObj->_pParam);
}

unsigned __stdcall WorkerThread::ThreadProc(void* pThis) {
  WorkerThread* pWorker = static_cast<WorkerThread*>(pThis);
  pWorker->OnThreadStart();
  pWorker->RunLoop(pWorker->_hSemaphore, pWorker->_hExitEvent);
  pWorker->OnThreadEnd();
  return 0;
}

// The handles come as copies: between a routine's return and the next wait
// the loop touches nothing of the object.
void WorkerThread::RunLoop(HANDLE hSemaphore, HANDLE hExitEvent) {
  while (WaitForWorkOrStop(hSemaphore, hExitEvent) == WakeReason::Work) {
    WorkItem* pItem = TakeFirstItem();
    if (pItem == nullptr) continue;
    try {
      if (pItem->_pRoutine != nullptr) pItem->_pRoutine(pItem->_pParam);
    } catch (...) {
      // Dropped: one failing item must not stop the others.
    }
    delete pItem;
  }
}

WorkerThread::WorkItem* WorkerThread::TakeFirstItem() {
  InnerLocker lock(this);
  if (_Items.empty()) return nullptr;
  WorkItem* pItem = _Items.front();
  _Items.pop_front();
  return pItem;
}

// Items that never ran. The record behind an InvokeObj item was handed over
// with the item and goes with it; other parameters belong to their callers.
void WorkerThread::DeleteQueuedItems() {
  InnerLocker lock(this);
  for (WorkItem* pItem : _Items) {
    if (pItem->_pRoutine == &WorkerThread::InvokeObj) delete static_cast<WorkItemObj*>(pItem->_pParam);
    delete pItem;
  }
  _Items.clear();
}
