#include "log_search.h"

#include <algorithm>

#include "log_match_scan.h"

namespace {

constexpr std::uint64_t kBlock = LogDocument::kBlockBytes;
constexpr std::uint64_t kWindowStep = kSearchWindow - kSearchOverlap;

}  // namespace

bool LogSearch::Start(const std::string& pattern, const TFindOptions& options, const LogDocument& document) {
  Stop();
  pattern_ = LogPattern::Make(pattern, options);
  if (!pattern_) return false;
  Reset(document);
  // Complete lines: here when they are few, else on the count's thread.
  const std::uint64_t open = document.LineStartOf(document.End());
  if (open - document.Begin() <= kCountHere)
    CountFinal(document, document.Begin(), document.Begin(), open);
  else
    job_ = std::make_unique<LogCountJob>(document.Bytes(), pattern_, document.Begin(), open, kBudget);
  countedTo_ = countedLine_ = open;
  AdvanceTail(document);
  return true;
}

void LogSearch::Stop() {
  job_.reset();
  pattern_.reset();
  counts_.clear();
  tail_.clear();
  counted_ = 0;
  gaveUp_ = false;
}

void LogSearch::Restart(const LogDocument& document) {
  if (!Active()) return;
  job_.reset();
  Reset(document);
  AdvanceTail(document);
}

void LogSearch::Reset(const LogDocument& document) {
  counts_.assign(document.BlockEnd() - document.FirstBlock(), 0);
  countsFirst_ = document.FirstBlock();
  counted_ = 0;
  countedTo_ = countedLine_ = begin_ = document.Begin();
  holeFrom_ = holeTo_ = 0;
  tail_.clear();
  gaveUp_ = false;
}

int LogSearch::Percent() const {
  if (gaveUp_) return gaveUpPercent_;
  if (!job_) return 100;
  const std::uint64_t span = job_->To() - job_->From();
  return span == 0 ? 100 : int((job_->Reached() - job_->From()) * 100 / span);
}

std::uint64_t LogSearch::Count() const { return counted_ + tail_.size() + (job_ ? job_->Found() : 0); }

bool LogSearch::Update(const LogDocument& document) {
  if (!Active()) return false;
  const std::uint64_t before = Count();
  const bool wasCounting = Counting();
  const bool moved = document.Begin() != begin_;
  FollowDocument(document);
  const bool taken = job_ && job_->Finished();
  if (taken) TakeJob(document);
  if (moved || taken || document.End() != tailEnd_) AdvanceTail(document);
  return Count() != before || Counting() != wasCounting;
}

void LogSearch::Scan(const LogDocument& document, std::uint64_t from, std::uint64_t to,
                     const std::function<bool(std::uint64_t, std::uint32_t)>& found) const {
  if (from >= to) return;
  ScanMatches(document, *pattern_, document.LineStartOf(from), from, to, scratch_, found);
}

void LogSearch::CountFinal(const LogDocument& document, std::uint64_t lineStart, std::uint64_t from, std::uint64_t to) {
  while (countsFirst_ + counts_.size() < document.BlockEnd()) counts_.push_back(0);
  ScanMatches(document, *pattern_, lineStart, from, to, scratch_, [&](std::uint64_t start, std::uint32_t) {
    ++counts_[start / kBlock - countsFirst_];
    ++counted_;
    return true;
  });
}

// Text dropped takes its counts along; the block the kept text now starts
// in is counted again from there.
void LogSearch::FollowDocument(const LogDocument& document) {
  if (document.Begin() == begin_) return;
  begin_ = document.Begin();
  while (countsFirst_ < document.FirstBlock() && !counts_.empty()) {
    counted_ -= counts_.front();
    counts_.pop_front();
    ++countsFirst_;
  }
  countsFirst_ = std::max(countsFirst_, document.FirstBlock());
  if (countedTo_ < begin_) countedTo_ = countedLine_ = begin_;
  if (!job_) RecountFront(document);
}

void LogSearch::RecountFront(const LogDocument& document) {
  if (counts_.empty()) return;
  const std::uint64_t to = std::min(countedTo_, (countsFirst_ + 1) * kBlock);
  std::uint32_t count = 0;
  if (begin_ < to)
    ScanMatches(document, *pattern_, begin_, begin_, to, scratch_, [&](std::uint64_t, std::uint32_t) {
      ++count;
      return true;
    });
  counted_ = counted_ - counts_.front() + count;
  counts_.front() = count;
}

void LogSearch::TakeJob(const LogDocument& document) {
  while (countsFirst_ + counts_.size() < document.BlockEnd()) counts_.push_back(0);
  const std::vector<std::uint32_t>& counts = job_->Counts();
  for (std::size_t i = 0; i < counts.size(); ++i) {
    const std::uint64_t b = job_->FirstBlock() + i;
    if (b < countsFirst_ || b >= countsFirst_ + counts_.size()) continue;
    counts_[b - countsFirst_] += counts[i];
    counted_ += counts[i];
  }
  if (job_->OutOfTime()) {
    gaveUpPercent_ = Percent();
    gaveUp_ = true;
    holeFrom_ = job_->Reached();
    holeTo_ = job_->To();
  }
  job_.reset();
  RecountFront(document);
}

void LogSearch::AdvanceTail(const LogDocument& document) {
  const std::uint64_t end = document.End();
  const std::uint64_t open = document.LineStartOf(end);
  if (countedTo_ < open) {
    CountFinal(document, countedLine_, countedTo_, open);
    countedTo_ = countedLine_ = open;
  }
  // A long open line that already crosses a block's end is searched in
  // windows: those whose text is all there are counted once.
  if (end - open > kSearchWindow && open / kBlock != (end - 1) / kBlock) {
    const std::uint64_t firstOpen = std::max(open, ((end - kSearchWindow) / kWindowStep + 1) * kWindowStep);
    if (firstOpen > countedTo_) {
      CountFinal(document, open, countedTo_, firstOpen);
      countedTo_ = firstOpen;
    }
  }
  tail_.clear();
  tailEnd_ = end;
  ScanMatches(document, *pattern_, countedLine_, countedTo_, end, scratch_, [&](std::uint64_t start, std::uint32_t n) {
    tail_.push_back(Match{start, n});
    return true;
  });
}

std::vector<LogSearch::Match> LogSearch::MatchesIn(const LogDocument& document, std::uint64_t from,
                                                   std::uint64_t to) const {
  std::vector<Match> matches;
  if (Active())
    Scan(document, from, to, [&](std::uint64_t start, std::uint32_t length) {
      matches.push_back(Match{start, length});
      return true;
    });
  return matches;
}

bool LogSearch::Known(std::uint64_t b) const {
  if (job_ && b >= job_->FirstBlock() && b * kBlock < job_->To()) return false;
  if (gaveUp_ && b * kBlock < holeTo_ && (b + 1) * kBlock > holeFrom_) return false;
  return b >= countsFirst_ && b < countsFirst_ + counts_.size() && (b + 1) * kBlock <= countedTo_;
}

std::optional<LogSearch::Match> LogSearch::FirstIn(const LogDocument& document, std::uint64_t from, std::uint64_t to,
                                                   std::uint64_t& reach) const {
  std::optional<Match> first;
  for (std::uint64_t b = from / kBlock; from < to && !first && reach > 0; ++b) {
    const std::uint64_t stop = std::min(to, (b + 1) * kBlock);
    if (!Known(b) || counts_[b - countsFirst_] > 0) {
      Scan(document, from, stop, [&](std::uint64_t start, std::uint32_t length) {
        first = Match{start, length};
        return false;
      });
      if (!Known(b)) reach -= std::min(reach, stop - from);
    }
    from = stop;
  }
  return first;
}

std::optional<LogSearch::Match> LogSearch::LastIn(const LogDocument& document, std::uint64_t from, std::uint64_t to,
                                                  std::uint64_t& reach) const {
  std::optional<Match> last;
  while (from < to && !last && reach > 0) {
    const std::uint64_t b = (to - 1) / kBlock;
    const std::uint64_t start = std::max(from, b * kBlock);
    if (!Known(b) || counts_[b - countsFirst_] > 0) {
      Scan(document, start, to, [&](std::uint64_t at, std::uint32_t length) {
        last = Match{at, length};
        return true;
      });
      if (!Known(b)) reach -= std::min(reach, to - start);
    }
    to = start;
  }
  return last;
}

std::optional<LogSearch::Match> LogSearch::Next(const LogDocument& document, std::uint64_t from, bool backward) const {
  if (!Active()) return std::nullopt;
  from = std::clamp(from, document.Begin(), document.End());
  std::uint64_t reach = kNextReach;
  if (backward) {
    if (auto last = LastIn(document, document.Begin(), from, reach)) return last;
    return LastIn(document, from, document.End(), reach);
  }
  if (auto first = FirstIn(document, from, document.End(), reach)) return first;
  return FirstIn(document, document.Begin(), from, reach);
}

std::uint64_t LogSearch::NumberOf(const LogDocument& document, const Match& match) const {
  if (!Active() || job_ || (gaveUp_ && match.start >= holeFrom_)) return 0;
  if (match.start < document.Begin() || match.start >= document.End()) return 0;
  // Matches in the blocks before, then those before it in its block.
  const std::uint64_t b = match.start / kBlock;
  std::uint64_t number = 0;
  for (std::uint64_t i = countsFirst_; i < b && i - countsFirst_ < counts_.size(); ++i)
    number += counts_[i - countsFirst_];
  for (const Match& tail : tail_) number += tail.start < b * kBlock ? 1 : 0;
  bool found = false;
  Scan(document, std::max(document.Begin(), b * kBlock), match.start + 1, [&](std::uint64_t at, std::uint32_t length) {
    ++number;
    found = at == match.start && length == match.length;
    return true;
  });
  return found ? number : 0;
}
