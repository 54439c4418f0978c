// A port object that records which notification slots its watch thread
// calls, and how its watch thread starts and ends.
#pragma once

#include <pthread.h>
#include <time.h>

#include <array>
#include <atomic>
#include <chrono>
#include <thread>

#include "cxComm.h"

enum class Slot { kReceive, kTXEmpty, kCTS, kDSR, kRLSD, kBreak, kError, kRing, kCount };

class RecordingPort : public cxComm {
 public:
  ~RecordingPort() override { Close(); }  // the watch thread calls into this part

  int Calls(Slot slot) const { return calls_[static_cast<size_t>(slot)]; }
  int TotalCalls() const {
    int total = 0;
    for (const auto& count : calls_) total += count;
    return total;
  }

  void OnReceive() override {
    Record(Slot::kReceive);
    std::this_thread::sleep_for(receiveDelay);
  }
  void OnTXEmpty() override { Record(Slot::kTXEmpty); }
  void OnCTS() override { Record(Slot::kCTS); }
  void OnDSR() override { Record(Slot::kDSR); }
  void OnRLSD() override { Record(Slot::kRLSD); }
  void OnBreak() override { Record(Slot::kBreak); }
  void OnError() override { Record(Slot::kError); }
  void OnRing() override { Record(Slot::kRing); }

  DWORD WatchProc() override {
    std::this_thread::sleep_for(watcherStartDelay);
    clockid_t clock{};
    pthread_getcpuclockid(pthread_self(), &clock);
    watcherClock = clock;
    ++watchersStarted;
    const int running = ++watchersRunning;
    for (int most = mostWatchersAtOnce; running > most && !mostWatchersAtOnce.compare_exchange_weak(most, running);) {
    }
    const DWORD exitCode = cxComm::WatchProc();
    lastExitCode = exitCode;
    --watchersRunning;
    ++watchersReturned;
    return exitCode;
  }

  // CPU time the running watch thread has used so far.
  double WatcherCpuSeconds() const {
    timespec used = {};
    clock_gettime(watcherClock, &used);
    return static_cast<double>(used.tv_sec) + static_cast<double>(used.tv_nsec) / 1e9;
  }

  // Set before the open: how long a new watch thread idles before it
  // starts watching.
  std::chrono::milliseconds watcherStartDelay{0};
  // How long the receive slot takes.
  std::chrono::milliseconds receiveDelay{0};
  std::atomic<int> watchersStarted{0};
  std::atomic<int> watchersReturned{0};
  std::atomic<int> watchersRunning{0};
  std::atomic<int> mostWatchersAtOnce{0};
  std::atomic<DWORD> lastExitCode{~0u};
  std::atomic<clockid_t> watcherClock{};

 private:
  void Record(Slot slot) { ++calls_[static_cast<size_t>(slot)]; }

  std::array<std::atomic<int>, static_cast<size_t>(Slot::kCount)> calls_{};
};
