#include "log_count_job.h"

#include "log_match_scan.h"

LogCountJob::LogCountJob(LogBytes bytes, std::shared_ptr<const LogPattern> pattern, std::uint64_t from,
                         std::uint64_t to, std::chrono::milliseconds budget)
    : bytes_(std::move(bytes)),
      pattern_(std::move(pattern)),
      from_(from),
      to_(to),
      counts_(to > from ? (to - 1) / LogBytes::kBlockBytes - from / LogBytes::kBlockBytes + 1 : 0, 0),
      reached_(from),
      thread_([this, budget] { Run(budget); }) {}

LogCountJob::~LogCountJob() {
  stop_ = true;
  thread_.join();
}

void LogCountJob::Run(std::chrono::milliseconds budget) {
  const auto deadline = std::chrono::steady_clock::now() + budget;
  std::string scratch;
  const std::uint64_t first = FirstBlock();
  ScanMatches(
      bytes_, *pattern_, from_, from_, to_, scratch,
      [&](std::uint64_t start, std::uint32_t) {
        ++counts_[start / LogBytes::kBlockBytes - first];
        found_.fetch_add(1, std::memory_order_relaxed);
        return true;
      },
      [&](std::uint64_t at) {
        reached_.store(at, std::memory_order_relaxed);
        if (stop_) return false;
        if (std::chrono::steady_clock::now() < deadline) return true;
        outOfTime_ = true;
        return false;
      });
  if (!stop_ && !outOfTime_) reached_ = to_;
  finished_ = true;
}
