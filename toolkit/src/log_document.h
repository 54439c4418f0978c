// The text behind a log view: it grows by appending and loses its oldest
// lines past a limit. It is kept as one run of UTF-16 units (line breaks as
// '\n') cut into segments of at most kSegmentUnits units; a segment is what
// the view lays out, draws and scrolls by, so no line, however long, is ever
// laid out whole. Positions are absolute: they count every unit ever
// appended since the last Clear, so a position stays valid (and keeps
// naming the same character) while older text is dropped.
#pragma once

#include <cstdint>
#include <deque>
#include <string>
#include <string_view>

class LogDocument {
 public:
  // A long line is cut into segments of at most this many units, after a
  // blank where one lies near the end.
  static constexpr std::size_t kSegmentUnits = 256;

  struct Segment {
    std::uint64_t start;        // absolute position of its first unit
    std::uint64_t bytesBefore;  // kept-byte count of everything before it
    bool lineStart;             // the first segment of its line
  };
  struct Run {
    std::uint64_t start;  // absolute position where the style begins
    std::uint32_t style;
  };

  LogDocument();

  // When set, the text dropped from the front is added to it (for those
  // who must say what went, as assistive technology must).
  std::u16string* droppedText = nullptr;

  // Adds text in a style. CR LF, a lone CR and a lone LF each end a line
  // (a CR at the end of one append and an LF at the start of the next are
  // one break). Returns the number of segments dropped from the front to
  // keep within the limit.
  std::size_t Append(std::u16string_view text, std::uint32_t style);
  void Clear();

  // The most bytes kept, counted as the text's UTF-8 size with each line
  // break one byte; 0 keeps everything. Lowering it drops at once; returns
  // the segments dropped.
  std::size_t SetLimit(std::uint64_t limit);
  std::uint64_t Limit() const { return limit_; }
  std::uint64_t KeptBytes() const { return totalBytes_ - segments_.front().bytesBefore; }
  std::uint64_t DroppedBytes() const { return segments_.front().bytesBefore; }

  // Absolute positions of the first kept unit and one past the last.
  std::uint64_t Begin() const { return segments_.front().start; }
  std::uint64_t End() const { return segments_.front().start + text_.size(); }
  std::size_t Length() const { return text_.size(); }

  std::size_t SegmentCount() const { return segments_.size(); }
  // Segments ever dropped: a segment's serial number is this plus its index.
  std::uint64_t DroppedSegments() const { return droppedSegments_; }
  const Segment& SegmentAt(std::size_t index) const { return segments_[index]; }
  // One past a segment's last unit, its line break left out.
  std::uint64_t SegmentEnd(std::size_t index) const;
  // The segment holding an absolute position (a line break belongs to the
  // segment it ends; End() to the last segment).
  std::size_t SegmentOf(std::uint64_t position) const;
  // The line holding a position: its start and end (before its break).
  std::uint64_t LineStartOf(std::uint64_t position) const;
  std::uint64_t LineEndOf(std::uint64_t position) const;

  // Units between two absolute positions (clamped to what is kept).
  std::u16string Slice(std::uint64_t from, std::uint64_t to) const;
  char16_t At(std::uint64_t position) const { return text_[position - Begin()]; }

  // Style runs: the run holding a position, and the runs in order.
  std::size_t RunOf(std::uint64_t position) const;
  std::size_t RunCount() const { return runs_.size(); }
  const Run& RunAt(std::size_t index) const { return runs_[index]; }

 private:
  void Push(char16_t unit, std::uint32_t style);
  void BreakLine(std::uint32_t style);
  void CutLongSegment();
  std::size_t DropToLimit();
  void DropFront(std::size_t segments);

  std::deque<char16_t> text_;
  std::deque<Segment> segments_;
  std::deque<Run> runs_;
  std::uint64_t totalBytes_ = 0;
  std::uint64_t droppedSegments_ = 0;
  std::uint64_t limit_ = 0;
  bool afterCr_ = false;  // the last unit appended was a CR that ended a line
};
