// The main window under observation. It is the program's own TForm1; the
// subclass only looks on: each received-data message is handed to TForm1's
// handler as usual, and its bytes are checked to continue the pattern; each
// time a memo is brought up to date the newest block's text is checked to
// be at its end, and the moment the blocks taken so far were shown is
// logged. Timer ticks are logged too. A further message
// lets the benchmark's own thread run calls on the window's thread.
#pragma once

#include <toolkit/toolkit.h>

#include <atomic>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "Unit1.h"
#include "byte_pattern.h"

struct ShownRecord {
  uint64_t end;  // pattern position just past the block's last byte
  Clock::time_point time;
};

// What one panel has shown.
struct PanelWatch {
  std::atomic<uint64_t> shown{0};       // bytes shown so far, in pattern order
  std::atomic<uint64_t> wrongBytes{0};  // bytes that did not continue the pattern
  std::atomic<uint64_t> memoMisses{0};  // blocks whose text was not at the end of the memo
  std::atomic<int64_t> firstWrongAt{-1};
  // The longest time between two reads of the port's device, from the
  // reads' own times (the blocks' marks), in 100 ns steps, since the last
  // StartReadGaps.
  std::atomic<int64_t> longestReadGap{0};
  std::atomic<bool> readGapsFromNow{false};
  void StartReadGaps() { readGapsFromNow = true; }

  std::vector<ShownRecord> Log(uint64_t from) const;

  mutable std::mutex mutex;
  std::vector<ShownRecord> log;

  // Window thread only: taken by the panel but not yet seen in its memo.
  uint64_t taken = 0;
  int64_t lastRead = 0;  // the last read's time, 0 before the first
  std::string newestBlock;
};

class WatchedForm : public TForm1 {
 public:
  explicit WatchedForm(TComponent* Owner);

  void Dispatch(TMessage& Message) override;

  // Runs `call` on the window's thread and returns when it has run.
  static void RunOnWindowThread(HWND hWnd, const std::function<void()>& call);
  // Queues `call` to run on the window's thread; it must outlive the run.
  static void PostToWindowThread(HWND hWnd, const std::function<void()>* call);

  std::vector<Clock::time_point> Ticks(Clock::time_point from) const;
  // Thread CPU time spent in this class's own checks, in nanoseconds: the
  // benchmark's cost, not the program's.
  int64_t CheckNanoseconds() const { return checkNanoseconds_; }

  PanelWatch Watch[2];  // by panel index

 private:
  void CheckTaken(int Index, const BYTE* pBytes, DWORD dwCount);
  void CheckReadGaps(int Index, const ReceivedBlock& Block);
  void CheckShown(int Index);

  std::atomic<int64_t> checkNanoseconds_{0};
  mutable std::mutex ticksMutex_;
  std::vector<Clock::time_point> ticks_;
};
