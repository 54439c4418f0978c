// The text behind a log view: it grows by appending and loses its oldest
// lines past a limit. It is kept once, as UTF-8 (line breaks as '\n') in
// blocks of kBlockBytes filled one after the other, each with the style
// runs that start in it and a few counts that index it: the rows, line
// breaks and UTF-16 units before it. Memory is the text plus about a byte
// in a hundred, and a style run's four bytes.
//
// A row is what the view lays out, draws and scrolls by: a line, or a piece
// of at most kRowBytes of a longer one (cut after a blank where one lies
// near the end, never inside a character), so that no line, however long,
// is laid out whole. Rows are not stored: from any row's start the next is
// found again from the text, and each block keeps only where its first row
// starts.
//
// Positions are absolute byte positions: they count every byte appended
// since the last Clear, so a position stays valid (and keeps naming the
// same character) while older text is dropped. Blocks start at multiples of
// kBlockBytes. A block's bytes, once written, never change until the block
// is let go, and are shared (LogBytes) with threads that read them, which
// keep them alive for as long as they need them.
#pragma once

#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "log_bytes.h"

class LogDocument : public LogByteSource {
 public:
  static constexpr std::uint32_t kBlockBytes = LogBytes::kBlockBytes;
  static constexpr std::uint32_t kRowBytes = 512;
  // Style indices above this are not kept (the plain style is used).
  static constexpr std::uint32_t kMaxStyle = (1u << 17) - 1;

  struct Row {
    std::uint64_t start;
    std::uint64_t end;  // one past its last byte, its line break left out
    bool lineStart;     // the first row of its line
  };

  LogDocument();

  // When set, the text dropped from the front is added to it (for those
  // who must say what went, as assistive technology must), unless more
  // than kMaxDroppedText went at once: then droppedTooMuch is set instead.
  static constexpr std::uint64_t kMaxDroppedText = 16u << 20;
  std::string* droppedText = nullptr;
  bool droppedTooMuch = false;

  // Adds text in a style. CR LF, a lone CR and a lone LF each end a line
  // (a CR at the end of one append and an LF at the start of the next are
  // one break). UTF-16: a surrogate pair split between two appends is
  // joined, a lone surrogate becomes U+FFFD. UTF-8: a sequence cut at the
  // end of one append is joined with its rest from the next; each byte of a
  // sequence that is not valid UTF-8 becomes U+FFFD.
  // Returns whether old text was dropped to keep
  // within the limit.
  bool Append(std::u16string_view text, std::uint32_t style);
  bool AppendUtf8(std::string_view text, std::uint32_t style);
  void Clear();

  // The most bytes kept, a line break one; 0 keeps everything. Lowering it
  // drops at once (true when it did).
  bool SetLimit(std::uint64_t limit);
  std::uint64_t Limit() const { return limit_; }
  std::uint64_t KeptBytes() const { return end_ - begin_; }
  std::uint64_t DroppedBytes() const { return begin_; }

  // Absolute positions of the first kept byte and one past the last.
  std::uint64_t Begin() const override { return begin_; }
  std::uint64_t End() const override { return end_; }
  std::uint64_t Length() const { return end_ - begin_; }

  // UTF-16 units: the units of the characters before a position (a
  // character outside the BMP counts two; a position inside a character
  // counts it), and the position of the character holding a unit.
  std::uint64_t UnitsAt(std::uint64_t position) const;
  std::uint64_t PositionOfUnits(std::uint64_t units) const;
  std::uint64_t BeginUnits() const { return beginUnits_; }
  std::uint64_t EndUnits() const { return totalUnits_; }

  // Rows kept, counted from the first kept one; rows ever dropped.
  std::uint64_t RowCount() const { return totalRows_ - droppedRows_; }
  std::uint64_t DroppedRows() const { return droppedRows_; }
  Row RowAt(std::uint64_t index) const;
  // The index of the row holding a position (End() is in the last row).
  std::uint64_t RowOf(std::uint64_t position) const;

  // The line holding a position: its start and its end (before its break).
  std::uint64_t LineStartOf(std::uint64_t position) const;
  std::uint64_t LineEndOf(std::uint64_t position) const override;

  char ByteAt(std::uint64_t position) const;
  // The bytes between two positions (clamped to what is kept).
  std::string Slice(std::uint64_t from, std::uint64_t to) const;
  // The kept bytes from a position to the end of its block.
  std::string_view PieceAt(std::uint64_t position) const override;

  // The style of the byte at a position, and the next position (at most
  // `to`) where another style starts.
  std::uint32_t StyleAt(std::uint64_t position) const;
  std::uint64_t StyleEnd(std::uint64_t position, std::uint64_t to) const;

  // Blocks by serial number (the first since Clear is 0).
  std::uint64_t FirstBlock() const { return firstSerial_; }
  std::uint64_t BlockEnd() const { return firstSerial_ + blocks_.size(); }
  static std::uint64_t BlockOf(std::uint64_t position) { return position / kBlockBytes; }

  // What is kept now, for another thread to read.
  LogBytes Bytes() const;

 private:
  struct Block {
    std::shared_ptr<char[]> bytes;
    std::uint32_t size = 0;
    std::uint32_t firstRow;           // offset of the first row starting in it, or kNone
    std::uint64_t rowsBefore;         // rows starting before it
    std::uint64_t unitsBefore;        // UTF-16 units of characters starting before it
    std::uint64_t breaksBefore;       // line breaks before it
    std::uint64_t lineStart;          // start of the line holding its first byte
    std::vector<std::uint32_t> runs;  // offset | style << 15, in order; the first at offset 0
  };
  static constexpr std::uint32_t kNone = ~0u;

  const Block& BlockAt(std::uint64_t position) const { return blocks_[BlockOf(position) - firstSerial_]; }
  std::string_view StoredPiece(std::uint64_t position) const;
  Block& LastBlock();
  void PushBytes(const char* bytes, std::size_t count, std::uint32_t style);
  void PushCodePoint(char32_t c, std::uint32_t style);
  void BreakLine(std::uint32_t style);
  void AdvanceRows();
  // Where the row starting at `start` ends and the next starts; false when
  // the row may still grow.
  bool NextRow(std::uint64_t start, std::uint64_t& next) const;
  std::uint64_t CutOf(std::uint64_t start) const;
  bool DropToLimit();
  void DropFront(std::uint64_t newBegin);
  // The row starts in block index b (offsets), made again from its first.
  const std::vector<std::uint64_t>& RowStartsIn(std::size_t b) const;

  std::deque<Block> blocks_;
  std::uint64_t firstSerial_ = 0;
  std::uint64_t begin_ = 0;
  std::uint64_t end_ = 0;
  std::uint64_t limit_ = 0;
  std::uint64_t totalRows_ = 0;    // rows started since Clear
  std::uint64_t droppedRows_ = 0;  // of which dropped
  std::uint64_t openRow_ = 0;      // start of the last row
  std::uint64_t totalUnits_ = 0;
  std::uint64_t beginUnits_ = 0;
  std::uint64_t totalBreaks_ = 0;
  std::uint64_t lineStart_ = 0;  // start of the last line
  std::uint32_t style_ = 0;      // style of the last run
  bool afterCr_ = false;         // the last thing appended was a CR that ended a line
  char16_t heldSurrogate_ = 0;   // a high surrogate waiting for its pair
  std::string utf8_;             // an append's text in UTF-8, line breaks as '\n'
  std::string heldUtf8_;         // a UTF-8 sequence cut at the end of an append, waiting for its rest
  // The last block whose rows were made again, and their starts.
  mutable std::uint64_t rowCacheSerial_ = ~0ull;
  mutable std::uint64_t rowCacheRows_ = 0;
  mutable std::vector<std::uint64_t> rowCache_;
};
