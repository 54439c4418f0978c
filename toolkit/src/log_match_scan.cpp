#include "log_match_scan.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr std::uint64_t kWindowStep = kSearchWindow - kSearchOverlap;

const char* LastBreak(std::string_view text) {
  for (std::size_t i = text.size(); i-- > 0;)
    if (text[i] == '\n') return text.data() + i;
  return nullptr;
}

struct Scan {
  const LogByteSource& source;
  const LogPattern& pattern;
  std::uint64_t from, to;
  std::string& scratch;
  const std::function<bool(std::uint64_t, std::uint32_t)>& found;
  const std::function<bool(std::uint64_t)>& proceed;
  bool stopped = false;

  // Searches text lying at `at`, taking matches that start before `takeTo`.
  void Search(std::string_view text, std::uint64_t at, std::uint64_t takeTo) {
    if (proceed && !proceed(at)) {
      stopped = true;
      return;
    }
    pattern.ForEachMatch(text, [&](std::size_t offset, std::size_t length) {
      const std::uint64_t start = at + offset;
      if (start >= takeTo) return false;
      if (start >= to) {
        stopped = true;
        return false;
      }
      if (start >= from && !found(start, std::uint32_t(length))) {
        stopped = true;
        return false;
      }
      return true;
    });
  }

  void SearchCopied(std::uint64_t start, std::uint64_t end, std::uint64_t takeTo) {
    if (stopped) return;
    scratch.resize(end - start);
    source.CopyTo(start, end, scratch.data());
    Search(scratch, start, takeTo);
  }

  // A line that crosses a block's end: whole, or in windows.
  void CrossingLine(std::uint64_t start, std::uint64_t end) {
    if (end - start <= kSearchWindow) return SearchCopied(start, end, end);
    std::uint64_t window = std::max(start, from / kWindowStep * kWindowStep);
    while (!stopped && window < end && window < to) {
      const std::uint64_t next = std::min(end, (window / kWindowStep + 1) * kWindowStep);
      SearchCopied(window, std::min(end, window + kSearchWindow), next);
      window = next;
    }
  }
};

}  // namespace

void ScanMatches(const LogByteSource& source, const LogPattern& pattern, std::uint64_t lineStart, std::uint64_t from,
                 std::uint64_t to, std::string& scratch, const std::function<bool(std::uint64_t, std::uint32_t)>& found,
                 const std::function<bool(std::uint64_t)>& proceed) {
  to = std::min(to, source.End());
  Scan scan{source, pattern, from, to, scratch, found, proceed};
  std::uint64_t at = std::max(lineStart, source.Begin());
  while (!scan.stopped && at < to) {
    const std::string_view piece = source.PieceAt(at);
    if (const char* last = LastBreak(piece)) {
      // Whole lines within the block, as far as the one holding to - 1.
      std::uint64_t stop = at + std::uint64_t(last - piece.data());
      if (to - 1 < stop) {
        const std::string_view rest = piece.substr(to - 1 - at);
        stop =
            to - 1 + std::uint64_t(static_cast<const char*>(std::memchr(rest.data(), '\n', rest.size())) - rest.data());
      }
      scan.Search(piece.substr(0, stop - at), at, stop);
      at = stop + 1;
    } else {
      const std::uint64_t end = source.LineEndOf(at);
      if (end - at <= piece.size())
        scan.Search(piece.substr(0, end - at), at, end);  // the last line, within its block
      else
        scan.CrossingLine(at, end);
      at = end + 1;
    }
  }
}
