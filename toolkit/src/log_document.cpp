#include "log_document.h"

#include <algorithm>
#include <cctype>

namespace {

// The unit's share of the text's UTF-8 size: a surrogate pair makes four.
std::uint64_t Utf8Size(char16_t unit) {
  if (unit < 0x80) return 1;
  if (unit < 0x800 || (unit >= 0xD800 && unit < 0xE000)) return 2;
  return 3;
}

bool IsHighSurrogate(char16_t unit) { return unit >= 0xD800 && unit < 0xDC00; }

}  // namespace

LogDocument::LogDocument() { Clear(); }

void LogDocument::Clear() {
  text_.clear();
  segments_.assign(1, Segment{0, 0, true});
  runs_.clear();
  totalBytes_ = 0;
  droppedSegments_ = 0;
  afterCr_ = false;
}

std::size_t LogDocument::Append(std::u16string_view text, std::uint32_t style) {
  for (char16_t unit : text) {
    if (unit == u'\n') {
      if (!afterCr_) BreakLine(style);
      afterCr_ = false;
    } else if (unit == u'\r') {
      BreakLine(style);
      afterCr_ = true;
    } else {
      Push(unit, style);
      afterCr_ = false;
    }
  }
  return DropToLimit();
}

std::size_t LogDocument::SetLimit(std::uint64_t limit) {
  limit_ = limit;
  return DropToLimit();
}

void LogDocument::Push(char16_t unit, std::uint32_t style) {
  if (End() - segments_.back().start >= kSegmentUnits) CutLongSegment();
  if (runs_.empty() || runs_.back().style != style) runs_.push_back(Run{End(), style});
  text_.push_back(unit);
  totalBytes_ += Utf8Size(unit);
}

void LogDocument::BreakLine(std::uint32_t style) {
  if (runs_.empty()) runs_.push_back(Run{End(), style});
  text_.push_back(u'\n');
  totalBytes_ += 1;
  segments_.push_back(Segment{End(), totalBytes_, true});
}

// The full last segment ends after its last blank among its final units, so
// that wrapping rarely meets a cut inside a word; never inside a surrogate
// pair.
void LogDocument::CutLongSegment() {
  const std::uint64_t end = End();
  std::uint64_t cut = end;
  for (std::uint64_t p = end; p > end - 32; --p) {
    if (At(p - 1) == u' ') {
      cut = p;
      break;
    }
  }
  if (cut == end && IsHighSurrogate(At(end - 1))) --cut;
  std::uint64_t bytes = totalBytes_;
  for (std::uint64_t p = cut; p < end; ++p) bytes -= Utf8Size(At(p));
  segments_.push_back(Segment{cut, bytes, false});
}

// Drops whole segments from the front until the rest fits, then the rest
// of a line so cut, unless that line is the last one (a line longer than
// the limit keeps its newest part).
std::size_t LogDocument::DropToLimit() {
  if (limit_ == 0 || KeptBytes() <= limit_) return 0;
  const std::size_t last = segments_.size() - 1;
  std::size_t drop = 0;
  while (drop < last && totalBytes_ - segments_[drop].bytesBefore > limit_) ++drop;
  std::size_t next = drop;
  while (next <= last && !segments_[next].lineStart) ++next;
  if (next <= last) drop = next;
  if (drop > 0) DropFront(drop);
  return drop;
}

void LogDocument::DropFront(std::size_t count) {
  const std::uint64_t newBegin = segments_[count].start;
  if (droppedText) droppedText->append(Slice(Begin(), newBegin));
  text_.erase(text_.begin(), text_.begin() + static_cast<std::ptrdiff_t>(newBegin - Begin()));
  segments_.erase(segments_.begin(), segments_.begin() + static_cast<std::ptrdiff_t>(count));
  segments_.front().lineStart = true;
  while (runs_.size() >= 2 && runs_[1].start <= newBegin) runs_.pop_front();
  droppedSegments_ += count;
}

std::uint64_t LogDocument::SegmentEnd(std::size_t index) const {
  if (index + 1 >= segments_.size()) return End();
  const Segment& next = segments_[index + 1];
  return next.lineStart ? next.start - 1 : next.start;
}

std::size_t LogDocument::SegmentOf(std::uint64_t position) const {
  auto after = std::upper_bound(segments_.begin(), segments_.end(), position,
                                [](std::uint64_t p, const Segment& s) { return p < s.start; });
  return after == segments_.begin() ? 0 : static_cast<std::size_t>(after - segments_.begin()) - 1;
}

std::uint64_t LogDocument::LineStartOf(std::uint64_t position) const {
  std::size_t index = SegmentOf(position);
  while (index > 0 && !segments_[index].lineStart) --index;
  return segments_[index].start;
}

std::uint64_t LogDocument::LineEndOf(std::uint64_t position) const {
  std::size_t index = SegmentOf(position);
  while (index + 1 < segments_.size() && !segments_[index + 1].lineStart) ++index;
  return SegmentEnd(index);
}

std::u16string LogDocument::Slice(std::uint64_t from, std::uint64_t to) const {
  from = std::clamp(from, Begin(), End());
  to = std::clamp(to, from, End());
  return std::u16string(text_.begin() + static_cast<std::ptrdiff_t>(from - Begin()),
                        text_.begin() + static_cast<std::ptrdiff_t>(to - Begin()));
}

std::size_t LogDocument::RunOf(std::uint64_t position) const {
  auto after =
      std::upper_bound(runs_.begin(), runs_.end(), position, [](std::uint64_t p, const Run& r) { return p < r.start; });
  return after == runs_.begin() ? 0 : static_cast<std::size_t>(after - runs_.begin()) - 1;
}
