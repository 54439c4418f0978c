// Counting a find's matches in everything a log view keeps, on a thread of
// its own, so that the window goes on answering however much is kept. The
// count is by block (the block each match starts in), for the view to skip
// blocks without matches when it goes to the next one and to number the
// selected one. Stopped when the job is destroyed (at the next key in the
// find box), and when it runs out of time.
#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <memory>
#include <thread>
#include <vector>

#include "log_bytes.h"
#include "log_pattern.h"

class LogCountJob {
 public:
  // Counts matches starting in [from, to); from is a line start.
  LogCountJob(LogBytes bytes, std::shared_ptr<const LogPattern> pattern, std::uint64_t from, std::uint64_t to,
              std::chrono::milliseconds budget);
  // Stops the thread and waits for it.
  ~LogCountJob();
  LogCountJob(const LogCountJob&) = delete;
  LogCountJob& operator=(const LogCountJob&) = delete;

  bool Finished() const { return finished_; }
  // Whether its time ran out before it reached `to`.
  bool OutOfTime() const { return outOfTime_; }
  // How far it came, and the matches it found so far.
  std::uint64_t Reached() const { return reached_; }
  std::uint64_t Found() const { return found_; }
  std::uint64_t From() const { return from_; }
  std::uint64_t To() const { return to_; }

  // Once finished: the count of each block, from block FirstBlock() on.
  std::uint64_t FirstBlock() const { return from_ / LogBytes::kBlockBytes; }
  const std::vector<std::uint32_t>& Counts() const { return counts_; }

 private:
  void Run(std::chrono::milliseconds budget);

  const LogBytes bytes_;
  const std::shared_ptr<const LogPattern> pattern_;
  const std::uint64_t from_, to_;
  std::vector<std::uint32_t> counts_;
  std::atomic<bool> stop_{false};
  std::atomic<bool> finished_{false};
  std::atomic<bool> outOfTime_{false};
  std::atomic<std::uint64_t> reached_;
  std::atomic<std::uint64_t> found_{0};
  std::thread thread_;
};
