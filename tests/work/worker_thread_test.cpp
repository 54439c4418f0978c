// The worker thread: order, failures, stopping, and the shared wait.
#include <windows.h>
#ifndef _WIN32
#include <kestrix/platform_testing.h>  // GetExitCodeThread; kernel32 has it
#endif

#include <gtest/gtest.h>
#include <time.h>

#include <atomic>
#include <mutex>
#include <stdexcept>
#include <thread>
#include <vector>

#include "QueueThread.h"
#include "TheWorkerThread.h"
#include "WorkerThread.h"

namespace {

// The process's CPU time; std::clock() would not do, as on Windows it
// counts wall-clock time.
double ProcessCpuSeconds() {
  timespec used{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &used);
  return static_cast<double>(used.tv_sec) + static_cast<double>(used.tv_nsec) / 1e9;
}

// Long enough never to expire on a loaded machine.
const DWORD kPatience = 20000;

// What ran, in order, and on which thread.
struct Journal {
  std::mutex lock;
  std::vector<int> ids;
  std::vector<DWORD> threads;
  void note(int id) {
    std::lock_guard<std::mutex> guard(lock);
    ids.push_back(id);
    threads.push_back(GetCurrentThreadId());
  }
};

struct Note {
  Journal* journal;
  int id;
};
void noteRoutine(void* pParam) {
  Note* note = static_cast<Note*>(pParam);
  note->journal->note(note->id);
}
void setEventRoutine(void* pParam) { SetEvent(static_cast<HANDLE>(pParam)); }
void waitEventRoutine(void* pParam) { WaitForSingleObject(static_cast<HANDLE>(pParam), kPatience); }

// A unit that notes the number it is given, or throws when given none.
class NoteUnit : public WorkerThread::WorkImpl {
 public:
  explicit NoteUnit(Journal& journal) : journal_(journal) {}
  void DoWork(void* pParam) override {
    if (pParam == nullptr) throw std::runtime_error("no number");
    journal_.note(*static_cast<int*>(pParam));
  }

 private:
  Journal& journal_;
};

// Queues an item that sets an event and waits for it: all before it ran.
void drain(WorkerThread& worker) {
  HANDLE done = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  worker.AddItem(setEventRoutine, done);
  ASSERT_EQ(WaitForSingleObject(done, kPatience), WAIT_OBJECT_0);
  CloseHandle(done);
}

TEST(WorkerThreadRun, ItemsRunInQueueOrderOnTheWorkersThread) {
  WorkerThread worker;
  Journal journal;
  NoteUnit unit(journal);
  std::vector<int> numbers(40);
  std::vector<Note> notes(40);
  for (int i = 0; i < 40; ++i) {
    numbers[i] = notes[i].id = i;
    notes[i].journal = &journal;
    if (i % 2 == 0)
      worker.AddItem(noteRoutine, &notes[i]);
    else
      worker.AddItem(WorkerThread::InvokeObj, new WorkerThread::WorkItemObj{&unit, &numbers[i]});
  }
  drain(worker);
  EXPECT_EQ(journal.ids, numbers);
  EXPECT_EQ(journal.threads, std::vector<DWORD>(40, worker._dwThreadId));
  EXPECT_NE(worker._dwThreadId, GetCurrentThreadId());
}

TEST(WorkerThreadRun, ItemsThatThrowDoNotStopLaterOnes) {
  WorkerThread worker;
  Journal journal;
  NoteUnit unit(journal);
  Note after{&journal, 1};
  worker.AddItem([](void*) { throw std::runtime_error("failed"); }, nullptr);
  worker.AddItem([](void*) { throw 5; }, nullptr);
  worker.AddItem(WorkerThread::InvokeObj, new WorkerThread::WorkItemObj{&unit, nullptr});  // freed though it throws
  worker.AddItem(noteRoutine, &after);
  drain(worker);
  EXPECT_EQ(journal.ids, std::vector<int>{1});
}

TEST(WorkerThreadRun, TheProgramsWorkerRunsItemsFromTheStart) {
  drain(TheWorkerThread);
  EXPECT_NE(TheWorkerThread._dwThreadId, GetCurrentThreadId());
}

TEST(WorkerThreadStop, ItemsQueuedBeforeTheExitStillRunThenTheThreadEnds) {
  WorkerThread worker;
  Journal journal;
  Note notes[3] = {{&journal, 1}, {&journal, 2}, {&journal, 3}};
  HANDLE gate = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  worker.AddItem(waitEventRoutine, gate);
  for (Note& note : notes) worker.AddItem(noteRoutine, &note);
  SetEvent(worker._hExitEvent);
  SetEvent(gate);
  ASSERT_EQ(WaitForSingleObject(worker._hThread, kPatience), WAIT_OBJECT_0);
  DWORD exitCode = STILL_ACTIVE;
  EXPECT_TRUE(GetExitCodeThread(worker._hThread, &exitCode));
  EXPECT_EQ(exitCode, 0u);
  EXPECT_EQ(journal.ids, (std::vector<int>{1, 2, 3}));
  CloseHandle(gate);
}

TEST(WorkerThreadStop, ItemsQueuedAfterTheExitNeverRunAndAreFreed) {
  Journal journal;
  NoteUnit unit(journal);
  int number = 1;
  Note note{&journal, 2};
  auto* worker = new WorkerThread;
  SetEvent(worker->_hExitEvent);
  ASSERT_EQ(WaitForSingleObject(worker->_hThread, kPatience), WAIT_OBJECT_0);
  // The leak checker of the address-sanitizer build sees a record not freed.
  worker->AddItem(WorkerThread::InvokeObj, new WorkerThread::WorkItemObj{&unit, &number});
  worker->AddItem(noteRoutine, &note);
  delete worker;
  EXPECT_TRUE(journal.ids.empty());
}

struct BlockingItem {
  HANDLE started, gate, exitEvent;
  std::atomic<DWORD> exitEventSeen{WAIT_FAILED};
  std::atomic<bool> finished{false};
};

TEST(WorkerThreadStop, DestructionWaitsForTheRunningItemAndKeepsItsHandlesOpen) {
  auto* worker = new WorkerThread;
  BlockingItem item{CreateEventA(nullptr, TRUE, FALSE, nullptr), CreateEventA(nullptr, TRUE, FALSE, nullptr),
                    worker->_hExitEvent};
  worker->AddItem(
      [](void* pParam) {
        auto* item = static_cast<BlockingItem*>(pParam);
        SetEvent(item->started);
        WaitForSingleObject(item->gate, kPatience);
        item->exitEventSeen = WaitForSingleObject(item->exitEvent, 0);
        item->finished = true;
      },
      &item);
  ASSERT_EQ(WaitForSingleObject(item.started, kPatience), WAIT_OBJECT_0);
  std::atomic<bool> destroyed{false};
  std::thread destroyer([&] {
    delete worker;
    destroyed = true;
  });
  Sleep(300);  // well past the moment a timed stop would have given up
  EXPECT_FALSE(destroyed);
  SetEvent(item.gate);
  destroyer.join();
  EXPECT_TRUE(item.finished);
  EXPECT_EQ(item.exitEventSeen, WAIT_OBJECT_0);  // still open, and signalled
  CloseHandle(item.started);
  CloseHandle(item.gate);
}

TEST(WorkerThreadStop, ARoutineThatNeverReturnsDoesNotHangDestruction) {
  HANDLE never = CreateEventA(nullptr, TRUE, FALSE, nullptr);  // left open: the stuck thread waits on it
  auto* worker = new WorkerThread;
  const HANDLE exitEvent = worker->_hExitEvent;
  const HANDLE thread = worker->_hThread;
  worker->AddItem([](void* pParam) { WaitForSingleObject(static_cast<HANDLE>(pParam), INFINITE); }, never);
  delete worker;
  // The handles the stuck thread would use are left open.
  EXPECT_EQ(WaitForSingleObject(exitEvent, 0), WAIT_OBJECT_0);
  EXPECT_EQ(WaitForSingleObject(thread, 0), WAIT_OBJECT_0);
}

TEST(WaitForWorkOrStop, AFailingWaitNeitherSpinsNorMissesTheStop) {
  HANDLE stop = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  HANDLE closed = CreateEventA(nullptr, FALSE, FALSE, nullptr);
  CloseHandle(closed);
  std::thread stopper([&] {
    Sleep(1500);
    SetEvent(stop);
  });
  const double cpuBefore = ProcessCpuSeconds();
  EXPECT_EQ(WaitForWorkOrStop(closed, stop), WakeReason::Stop);
  const double cpuSeconds = ProcessCpuSeconds() - cpuBefore;
  stopper.join();
  EXPECT_LT(cpuSeconds, 0.3);  // a spinning wait burns most of the 1.5 s
  CloseHandle(stop);
}

}  // namespace
