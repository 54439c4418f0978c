// The bytes of a log view's text as a reader on another thread sees them:
// the blocks kept at one moment, shared with the view (whose later appends
// go past what the reader sees, and whose dropped blocks the reader keeps
// alive until it lets go).
#pragma once

#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

// Text in blocks, read from a position to the end of its block.
class LogByteSource {
 public:
  virtual ~LogByteSource() = default;
  virtual std::uint64_t Begin() const = 0;
  virtual std::uint64_t End() const = 0;
  // The bytes from a position (within [Begin, End)) to the end of its block
  // or End; empty at End.
  virtual std::string_view PieceAt(std::uint64_t position) const = 0;
  // The first line break at or after a position, or End.
  virtual std::uint64_t LineEndOf(std::uint64_t position) const;
  // Copies the bytes of [from, to) to out.
  void CopyTo(std::uint64_t from, std::uint64_t to, char* out) const;
};

class LogBytes : public LogByteSource {
 public:
  static constexpr std::uint32_t kBlockBytes = 32 * 1024;

  LogBytes() = default;
  // Blocks from the one holding `begin` on; block i starts at
  // (firstSerial + i) * kBlockBytes.
  LogBytes(std::vector<std::shared_ptr<const char[]>> blocks, std::uint64_t firstSerial, std::uint64_t begin,
           std::uint64_t end)
      : blocks_(std::move(blocks)), firstSerial_(firstSerial), begin_(begin), end_(end) {}

  std::uint64_t Begin() const override { return begin_; }
  std::uint64_t End() const override { return end_; }
  std::string_view PieceAt(std::uint64_t position) const override;

 private:
  std::vector<std::shared_ptr<const char[]>> blocks_;
  std::uint64_t firstSerial_ = 0;
  std::uint64_t begin_ = 0;
  std::uint64_t end_ = 0;
};
