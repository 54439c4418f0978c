// The background thread that runs queued work items one by one, in the order
// they were queued.
#pragma once

#include <windows.h>

#include <list>

#include "Locker.h"

class WorkerThread : public LockerImpl {
 public:
  typedef void (*WorkRoutine)(void* pParam);

  // A unit of work with its own lock; queued through InvokeObj.
  class WorkImpl : public LockerImpl {
   public:
    ~WorkImpl() override;
    virtual void DoWork(void* pParam) = 0;
  };

  // One queued piece of work; the worker owns it once queued.
  struct WorkItem {
    WorkRoutine _pRoutine;
    void* _pParam;
  };

  // Binds a work unit to the parameter passed on to its DoWork. Allocated
  // with new by the caller and handed over with AddItem(InvokeObj, ...).
  struct WorkItemObj {
    WorkImpl* _pObj;
    void* _pParam;
  };

  // Creates the events and starts the thread. The thread calls the hooks
  // below from the moment it starts, before a derived class would be built,
  // so an override would not reliably run: nothing derives from this class.
  WorkerThread();
  // Signals the exit event and waits for the thread to end before anything
  // it uses is released; items still queued are deleted without running. A
  // thread stuck in a routine for seconds is stopped at its next wait and
  // its handles are left open.
  ~WorkerThread() override;

  // Runs first on the worker thread: calls CoInitialize, which on this
  // platform has nothing to set up and succeeds; a failure would end the
  // program with a message box.
  virtual void OnThreadStart();
  // Runs last on the worker thread: CoUninitialize, likewise empty here.
  virtual void OnThreadEnd();

  // Appends an item that calls routine(pParam) and wakes the worker.
  void AddItem(WorkRoutine routine, void* pParam);

  // Blocks until every item queued before this call has run, or the thread
  // has ended (then nothing queued runs any more). Never call it on the
  // worker thread.
  void WaitForQueuedItems();

  // The routine for a WorkItemObj parameter: calls its object's DoWork with
  // its parameter, then deletes the record.
  static void InvokeObj(void* pParam);

  HANDLE _hExitEvent;  // manual reset; signalled to make the thread leave
  HANDLE _hSemaphore;  // one count per queued item
  HANDLE _hThread;
  std::list<WorkItem*> _Items;  // oldest first
  DWORD _dwThreadId;

 private:
  static unsigned __stdcall ThreadProc(void* pThis);
  void RunLoop(HANDLE hSemaphore, HANDLE hExitEvent);
  WorkItem* TakeFirstItem();
  void DeleteQueuedItems();
};
