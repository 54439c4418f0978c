#include "log_search.h"

#include <algorithm>
#include <cctype>

namespace {

// Hex digits in pairs, blanks between pairs allowed: "0d 0a", "0D0A".
// Returns the pairs, or an empty list for anything else.
QStringList HexPairs(const QString& pattern) {
  QString digits;
  for (QChar c : pattern) {
    if (c.isSpace()) continue;
    if (!std::isxdigit(c.unicode() < 128 ? c.toLatin1() : 'g')) return {};
    digits += c;
  }
  if (digits.isEmpty() || digits.size() % 2 != 0) return {};
  QStringList pairs;
  for (qsizetype i = 0; i < digits.size(); i += 2) pairs << digits.mid(i, 2);
  return pairs;
}

}  // namespace

QRegularExpression LogSearch::ExpressionFor(const QString& pattern, const TFindOptions& options) {
  QRegularExpression::PatternOptions flags = QRegularExpression::NoPatternOption;
  if (!options.MatchCase || options.Hex) flags |= QRegularExpression::CaseInsensitiveOption;
  QString expression;
  if (options.Hex) {
    const QStringList pairs = HexPairs(pattern);
    // Shown pairs stand apart: a pair is never found inside an offset or
    // across two pairs.
    expression = pairs.isEmpty() ? QStringLiteral("(") : "(?<![0-9A-Fa-f])" + pairs.join("\\s+") + "(?![0-9A-Fa-f])";
  } else {
    expression = options.Regex ? pattern : QRegularExpression::escape(pattern);
  }
  QRegularExpression result(expression, flags);
  result.optimize();
  return result;
}

bool LogSearch::Start(const QString& pattern, const TFindOptions& options, const LogDocument& document) {
  Stop();
  expression_ = ExpressionFor(pattern, options);
  if (pattern.isEmpty() || !expression_.isValid()) return false;
  active_ = true;
  Scan(document, document.Begin());
  return true;
}

void LogSearch::Stop() {
  active_ = false;
  matches_.clear();
  longest_ = 0;
}

bool LogSearch::Update(const LogDocument& document) {
  if (!active_) return false;
  const std::size_t before = matches_.size();
  while (!matches_.empty() && matches_.front().start < document.Begin()) matches_.pop_front();
  const std::uint64_t from = std::max(tailFrom_, document.Begin());
  while (!matches_.empty() && matches_.back().start >= from) matches_.pop_back();
  Scan(document, from);
  return matches_.size() != before;
}

void LogSearch::Scan(const LogDocument& document, std::uint64_t from) {
  tailFrom_ = from;
  for (;;) {
    const std::uint64_t end = document.LineEndOf(from);
    ScanLine(document, from, end);
    if (end >= document.End()) return;
    from = end + 1;
  }
}

// Searches [from, end) of one line in windows; a window that is not the
// last takes only the matches starting before its overlap, which the next
// window searches again.
void LogSearch::ScanLine(const LogDocument& document, std::uint64_t from, std::uint64_t end) {
  for (std::uint64_t start = from;; start += kWindow - kOverlap) {
    tailFrom_ = start;
    const std::uint64_t stop = std::min(end, start + kWindow);
    const std::uint64_t takeBefore = stop < end ? start + kWindow - kOverlap : UINT64_MAX;
    const std::u16string text = document.Slice(start, stop);
    const QString view = QString::fromRawData(reinterpret_cast<const QChar*>(text.data()), qsizetype(text.size()));
    QRegularExpressionMatchIterator it = expression_.globalMatch(view);
    while (it.hasNext()) {
      const QRegularExpressionMatch match = it.next();
      if (match.capturedLength() == 0) continue;
      const std::uint64_t at = start + std::uint64_t(match.capturedStart());
      if (at >= takeBefore) break;
      const auto length = std::uint32_t(match.capturedLength());
      matches_.push_back(Match{at, length});
      longest_ = std::max(longest_, length);
    }
    if (stop >= end) return;
  }
}

std::size_t LogSearch::FirstEndingAfter(std::uint64_t position) const {
  const std::uint64_t from = position > longest_ ? position - longest_ : 0;
  auto it = std::lower_bound(matches_.begin(), matches_.end(), from,
                             [](const Match& m, std::uint64_t p) { return m.start < p; });
  while (it != matches_.end() && it->start + it->length <= position) ++it;
  return std::size_t(it - matches_.begin());
}

long LogSearch::IndexAt(std::uint64_t position) const {
  auto it = std::lower_bound(matches_.begin(), matches_.end(), position,
                             [](const Match& m, std::uint64_t p) { return m.start < p; });
  return it != matches_.end() && it->start == position ? long(it - matches_.begin()) : -1;
}
