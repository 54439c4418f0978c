// A find in a log view's text: how many matches there are in what is kept
// and in what comes later, less those in text dropped; the matches in a
// range (what is on screen); the next or previous match from a position;
// and a match's number.
//
// Matches are not stored: the count is kept per block of the document, and
// a range is searched again when asked (RE2 searches hundreds of megabytes
// a second). A find over more than kCountHere bytes is counted on a thread
// of its own (LogCountJob), within kBudget; meanwhile the view goes on, the
// count grows, and text that comes is counted here as it comes. The open
// last line is searched again at each update, its finished lines and
// windows counted once.
#pragma once

#include <chrono>
#include <cstdint>
#include <deque>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "log_count_job.h"
#include "log_document.h"
#include "log_pattern.h"
#include "toolkit/log_view.h"

class LogSearch {
 public:
  static constexpr std::uint64_t kCountHere = 1 << 20;
  static constexpr std::chrono::milliseconds kBudget{20000};
  // Going to the next match while the count runs searches at most this far.
  static constexpr std::uint64_t kNextReach = 4u << 20;

  struct Match {
    std::uint64_t start;
    std::uint32_t length;
    friend bool operator==(const Match&, const Match&) = default;
  };

  // Starts a find in the whole document; false (and no find) for a pattern
  // that is not valid.
  bool Start(const std::string& pattern, const TFindOptions& options, const LogDocument& document);
  void Stop();
  // The document was emptied: the find starts again on what comes.
  void Restart(const LogDocument& document);
  bool Active() const { return pattern_ != nullptr; }

  // The count's thread is still at work; how far it came (0 to 100); it
  // ran out of time, and the count holds only what it reached.
  bool Counting() const { return job_ != nullptr; }
  int Percent() const;
  bool GaveUp() const { return gaveUp_; }

  // Forgets text dropped, counts text appended, and takes the thread's
  // count once it is done. Returns whether the count (or the state) changed.
  bool Update(const LogDocument& document);
  std::uint64_t Count() const;

  // The matches starting in [from, to).
  std::vector<Match> MatchesIn(const LogDocument& document, std::uint64_t from, std::uint64_t to) const;
  // The first match starting at or after `from`, wrapping around to the
  // first; backward: the last starting before `from`, wrapping to the last.
  // None when there is none (or none found within kNextReach while the
  // count runs).
  std::optional<Match> Next(const LogDocument& document, std::uint64_t from, bool backward) const;
  // The number of the match (from 1); 0 when it is no match or its number
  // is not known yet.
  std::uint64_t NumberOf(const LogDocument& document, const Match& match) const;

 private:
  void Reset(const LogDocument& document);
  void CountFinal(const LogDocument& document, std::uint64_t lineStart, std::uint64_t from, std::uint64_t to);
  void FollowDocument(const LogDocument& document);
  void RecountFront(const LogDocument& document);
  void AdvanceTail(const LogDocument& document);
  void TakeJob(const LogDocument& document);
  // Whether block serial b's count is known to be all there is in it.
  bool Known(std::uint64_t b) const;
  std::optional<Match> FirstIn(const LogDocument& document, std::uint64_t from, std::uint64_t to,
                               std::uint64_t& reach) const;
  std::optional<Match> LastIn(const LogDocument& document, std::uint64_t from, std::uint64_t to,
                              std::uint64_t& reach) const;
  void Scan(const LogDocument& document, std::uint64_t from, std::uint64_t to,
            const std::function<bool(std::uint64_t, std::uint32_t)>& found) const;

  std::shared_ptr<const LogPattern> pattern_;
  std::unique_ptr<LogCountJob> job_;
  std::deque<std::uint32_t> counts_;  // matches by the block they start in, from block countsFirst_
  std::uint64_t countsFirst_ = 0;
  std::uint64_t counted_ = 0;                // their sum
  std::uint64_t countedTo_ = 0;              // matches starting before it are counted (or the thread's to count)
  std::uint64_t countedLine_ = 0;            // the start of the line holding countedTo_
  std::uint64_t holeFrom_ = 0, holeTo_ = 0;  // what the thread left uncounted when its time ran out
  std::vector<Match> tail_;                  // matches from countedTo_ on, found again at each update
  std::uint64_t begin_ = 0;                  // the document's Begin at the last update
  std::uint64_t tailEnd_ = 0;                // its End when the tail was searched
  bool gaveUp_ = false;
  int gaveUpPercent_ = 0;
  mutable std::string scratch_;
};
