#include "log_bytes.h"

#include <algorithm>
#include <cstring>

std::uint64_t LogByteSource::LineEndOf(std::uint64_t position) const {
  for (std::uint64_t at = std::max(position, Begin()); at < End();) {
    const std::string_view piece = PieceAt(at);
    if (const void* found = std::memchr(piece.data(), '\n', piece.size()))
      return at + std::uint64_t(static_cast<const char*>(found) - piece.data());
    at += piece.size();
  }
  return End();
}

void LogByteSource::CopyTo(std::uint64_t from, std::uint64_t to, char* out) const {
  while (from < to) {
    const std::string_view piece = PieceAt(from);
    const std::size_t count = std::min<std::uint64_t>(piece.size(), to - from);
    if (count == 0) return;
    std::memcpy(out, piece.data(), count);
    out += count;
    from += count;
  }
}

std::string_view LogBytes::PieceAt(std::uint64_t position) const {
  if (position < begin_ || position >= end_) return {};
  const std::uint64_t serial = position / kBlockBytes;
  const std::uint64_t blockStart = serial * kBlockBytes;
  const std::uint64_t stop = std::min(end_, blockStart + kBlockBytes);
  return std::string_view(blocks_[serial - firstSerial_].get() + (position - blockStart), stop - position);
}
