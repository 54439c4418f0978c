// The matches of a find in a log document: every match of the pattern in
// what is kept, found again in the text appended since, forgotten with the
// text dropped. A match never crosses a line break; a line longer than a
// search window is searched in overlapping windows, so a match of up to
// kOverlap units is found wherever it lies.
#pragma once

#include <QRegularExpression>
#include <QString>

#include <cstdint>
#include <deque>

#include "log_document.h"
#include "toolkit/log_view.h"

class LogSearch {
 public:
  static constexpr std::uint64_t kWindow = 8192;
  static constexpr std::uint64_t kOverlap = 512;

  struct Match {
    std::uint64_t start;
    std::uint32_t length;
  };

  // Starts a search of the whole document; false (and no search) for a
  // pattern that is not valid.
  bool Start(const QString& pattern, const TFindOptions& options, const LogDocument& document);
  void Stop();
  // Forgets every match and searches the document again from its start
  // (after the document was emptied).
  void Restart() {
    matches_.clear();
    longest_ = 0;
    tailFrom_ = 0;
  }
  bool Active() const { return active_; }

  // Forgets matches in text dropped, and finds those in text appended, since
  // the last call. Returns whether the number of matches changed.
  bool Update(const LogDocument& document);

  const std::deque<Match>& Matches() const { return matches_; }
  // The index of the first match that ends after `position`.
  std::size_t FirstEndingAfter(std::uint64_t position) const;
  // The index of the match starting at `position`, or -1.
  long IndexAt(std::uint64_t position) const;

  // The expression that a pattern stands for, or an invalid one.
  static QRegularExpression ExpressionFor(const QString& pattern, const TFindOptions& options);

 private:
  void Scan(const LogDocument& document, std::uint64_t from);
  void ScanLine(const LogDocument& document, std::uint64_t from, std::uint64_t end);

  QRegularExpression expression_;
  bool active_ = false;
  std::deque<Match> matches_;
  std::uint32_t longest_ = 0;
  std::uint64_t tailFrom_ = 0;  // start of the last window searched
};
