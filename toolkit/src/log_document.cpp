#include "log_document.h"

#include <algorithm>
#include <cstring>

namespace {

bool IsContinuation(unsigned char byte) { return (byte & 0xC0) == 0x80; }

// The UTF-16 units a byte adds when it starts a character.
unsigned UnitsOfLead(unsigned char byte) { return IsContinuation(byte) ? 0 : byte >= 0xF0 ? 2 : 1; }

void PutUtf8(std::string& out, char32_t c) {
  if (c < 0x80) {
    out += char(c);
  } else if (c < 0x800) {
    out += char(0xC0 | (c >> 6));
    out += char(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += char(0xE0 | (c >> 12));
    out += char(0x80 | ((c >> 6) & 0x3F));
    out += char(0x80 | (c & 0x3F));
  } else {
    out += char(0xF0 | (c >> 18));
    out += char(0x80 | ((c >> 12) & 0x3F));
    out += char(0x80 | ((c >> 6) & 0x3F));
    out += char(0x80 | (c & 0x3F));
  }
}

// The length of the valid UTF-8 sequence at text[at], or 0.
std::size_t ValidSequence(std::string_view text, std::size_t at) {
  const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
  const unsigned char lead = byte(at);
  if (lead < 0x80) return 1;
  std::size_t length;
  unsigned char low = 0x80, high = 0xBF;  // the second byte's range
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    if (lead == 0xE0) low = 0xA0;
    if (lead == 0xED) high = 0x9F;  // no surrogates
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    if (lead == 0xF0) low = 0x90;
    if (lead == 0xF4) high = 0x8F;
  } else {
    return 0;
  }
  if (at + length > text.size() || byte(at + 1) < low || byte(at + 1) > high) return 0;
  for (std::size_t i = 2; i < length; ++i)
    if (!IsContinuation(byte(at + i))) return 0;
  return length;
}

constexpr char kReplacement[] = "\xEF\xBF\xBD";

// The start of a valid sequence cut at the end of text: its length, or 0.
std::size_t CutSequence(std::string_view text) {
  for (std::size_t back = 1; back <= 3 && back <= text.size(); ++back) {
    const auto lead = static_cast<unsigned char>(text[text.size() - back]);
    if (IsContinuation(lead)) continue;
    const std::size_t length = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC2 ? 2 : 1;
    if (length <= back) return 0;
    // Valid so far: completed with continuation bytes it would be whole.
    std::string probe(text.substr(text.size() - back));
    probe.append(length - back, '\x80');
    if (lead == 0xE0 && back == 1) probe[1] = '\xA0';
    if (lead == 0xF0 && back == 1) probe[1] = '\x90';
    return ValidSequence(probe, 0) == length ? back : 0;
  }
  return 0;
}

}  // namespace

LogDocument::LogDocument() { Clear(); }

void LogDocument::Clear() {
  blocks_.clear();
  firstSerial_ = 0;
  begin_ = end_ = 0;
  totalRows_ = 0;
  droppedRows_ = 0;
  openRow_ = 0;
  totalUnits_ = beginUnits_ = totalBreaks_ = 0;
  lineStart_ = 0;
  style_ = 0;
  afterCr_ = false;
  heldSurrogate_ = 0;
  heldUtf8_.clear();
  rowCacheSerial_ = ~0ull;
  LastBlock().firstRow = 0;  // the first row, empty
  totalRows_ = 1;
}

// The block the next byte goes into, made when the last one is full.
LogDocument::Block& LogDocument::LastBlock() {
  if (!blocks_.empty() && blocks_.back().size < kBlockBytes) return blocks_.back();
  if (!blocks_.empty()) blocks_.back().runs.shrink_to_fit();
  Block block;
  block.bytes = std::make_shared_for_overwrite<char[]>(kBlockBytes);
  block.firstRow = kNone;
  block.rowsBefore = totalRows_;
  block.unitsBefore = totalUnits_;
  block.breaksBefore = totalBreaks_;
  block.lineStart = lineStart_;
  block.runs.push_back(style_ << 15);
  blocks_.push_back(std::move(block));
  return blocks_.back();
}

bool LogDocument::Append(std::u16string_view text, std::uint32_t style) {
  utf8_.clear();
  // UTF-8 held from an earlier append gets no rest.
  for (std::size_t i = 0; i < heldUtf8_.size(); ++i) utf8_ += kReplacement;
  heldUtf8_.clear();
  for (char16_t unit : text) {
    if (heldSurrogate_) {
      const char16_t high = heldSurrogate_;
      heldSurrogate_ = 0;
      if (unit >= 0xDC00 && unit < 0xE000) {
        PutUtf8(utf8_, 0x10000 + ((char32_t(high) - 0xD800) << 10) + (unit - 0xDC00));
        continue;
      }
      utf8_ += kReplacement;
    }
    if (unit == u'\n') {
      if (!afterCr_) utf8_ += '\n';
      afterCr_ = false;
      continue;
    }
    afterCr_ = unit == u'\r';
    if (afterCr_) {
      utf8_ += '\n';
    } else if (unit >= 0xD800 && unit < 0xDC00) {
      heldSurrogate_ = unit;
    } else if (unit >= 0xDC00 && unit < 0xE000) {
      utf8_ += kReplacement;
    } else {
      PutUtf8(utf8_, unit);
    }
  }
  PushBytes(utf8_.data(), utf8_.size(), style);
  return DropToLimit();
}

bool LogDocument::AppendUtf8(std::string_view text, std::uint32_t style) {
  utf8_.clear();
  // A surrogate held from UTF-16 text has no pair coming.
  if (heldSurrogate_) utf8_ += kReplacement;
  heldSurrogate_ = 0;
  std::string joined;
  if (!heldUtf8_.empty()) {
    joined = heldUtf8_;
    joined.append(text);
    text = joined;
    heldUtf8_.clear();
  }
  const std::size_t cut = CutSequence(text);
  heldUtf8_.assign(text.substr(text.size() - cut));
  text.remove_suffix(cut);
  for (std::size_t at = 0; at < text.size();) {
    const char c = text[at];
    if (c == '\n' || c == '\r') {
      if (c == '\r' || !afterCr_) utf8_ += '\n';
      afterCr_ = c == '\r';
      ++at;
      continue;
    }
    afterCr_ = false;
    const std::size_t length = ValidSequence(text, at);
    if (length == 0) {
      utf8_ += kReplacement;
      ++at;
    } else {
      utf8_.append(text.substr(at, length));
      at += length;
    }
  }
  PushBytes(utf8_.data(), utf8_.size(), style);
  return DropToLimit();
}

// Valid UTF-8 with '\n' line breaks into the blocks. A line break keeps the
// style before it (it is never drawn), so lines in one colour make one run.
void LogDocument::PushBytes(const char* bytes, std::size_t count, std::uint32_t style) {
  if (style > kMaxStyle) style = 0;
  std::size_t at = 0;
  while (at < count) {
    if (style != style_ && bytes[at] != '\n') {
      Block& block = LastBlock();
      const std::uint32_t offset = block.size;
      if ((block.runs.back() & 0x7FFF) == offset)
        block.runs.back() = offset | style << 15;
      else
        block.runs.push_back(offset | style << 15);
      style_ = style;
    }
    // Up to the block's end, or the next change of style (after breaks).
    Block& block = LastBlock();
    std::size_t take = std::min<std::size_t>(count - at, kBlockBytes - block.size);
    if (style != style_) {
      std::size_t breaks = 0;
      while (breaks < take && bytes[at + breaks] == '\n') ++breaks;
      take = breaks;
    }
    std::memcpy(block.bytes.get() + block.size, bytes + at, take);
    for (std::size_t i = 0; i < take; ++i) {
      const auto byte = static_cast<unsigned char>(bytes[at + i]);
      totalUnits_ += UnitsOfLead(byte);
      if (byte == '\n') {
        ++totalBreaks_;
        lineStart_ = end_ + i + 1;
      }
    }
    block.size += std::uint32_t(take);
    end_ += take;
    at += take;
  }
  AdvanceRows();
}

void LogDocument::AdvanceRows() {
  std::uint64_t next = 0;
  while (NextRow(openRow_, next)) {
    // A row starting at a block's start makes the block (it may be empty).
    if (next == end_) LastBlock();
    const std::uint64_t serial = BlockOf(next);
    Block& block = blocks_[serial - firstSerial_];
    if (block.firstRow == kNone) block.firstRow = std::uint32_t(next - serial * kBlockBytes);
    for (std::size_t b = serial - firstSerial_ + 1; b < blocks_.size(); ++b) ++blocks_[b].rowsBefore;
    ++totalRows_;
    openRow_ = next;
  }
}

bool LogDocument::NextRow(std::uint64_t start, std::uint64_t& next) const {
  const std::uint64_t limit = std::min(end_, start + kRowBytes + 1);
  for (std::uint64_t at = start; at < limit;) {
    const std::string_view piece = StoredPiece(at);
    const std::size_t count = std::min<std::uint64_t>(piece.size(), limit - at);
    if (const void* found = std::memchr(piece.data(), '\n', count)) {
      next = at + std::uint64_t(static_cast<const char*>(found) - piece.data()) + 1;
      return true;
    }
    at += count;
  }
  if (end_ <= start + kRowBytes) return false;
  next = CutOf(start);
  return true;
}

// A full row ends after its last blank among its final bytes, so that
// wrapping rarely meets a cut inside a word; never inside a character.
std::uint64_t LogDocument::CutOf(std::uint64_t start) const {
  const std::uint64_t end = start + kRowBytes;
  for (std::uint64_t p = end; p > end - 32; --p)
    if (ByteAt(p - 1) == ' ') return p;
  std::uint64_t cut = end;
  while (cut > start + 1 && IsContinuation(static_cast<unsigned char>(ByteAt(cut)))) --cut;
  return cut;
}

bool LogDocument::SetLimit(std::uint64_t limit) {
  limit_ = limit;
  return DropToLimit();
}

// Drops whole lines from the front until the rest fits; when the last line
// alone is longer than the limit, whole rows of it, keeping its newest part.
bool LogDocument::DropToLimit() {
  if (limit_ == 0 || KeptBytes() <= limit_) return false;
  const std::uint64_t target = end_ - limit_;
  std::uint64_t keep;
  if (ByteAt(target - 1) == '\n') {
    keep = target;
  } else if (const std::uint64_t lineEnd = LineEndOf(target); lineEnd < end_) {
    keep = lineEnd + 1;
  } else {
    const std::uint64_t row = RowOf(target);
    keep = RowAt(row).start;
    if (keep < target && row + 1 < RowCount()) keep = RowAt(row + 1).start;
  }
  if (keep <= begin_) return false;
  DropFront(keep);
  return true;
}

void LogDocument::DropFront(std::uint64_t newBegin) {
  if (droppedText) {
    if (newBegin - begin_ <= kMaxDroppedText)
      *droppedText += Slice(begin_, newBegin);
    else
      droppedTooMuch = true;
  }
  const std::uint64_t rows = RowOf(newBegin);
  beginUnits_ = UnitsAt(newBegin);
  if (newBegin == end_) LastBlock();
  droppedRows_ += rows;
  begin_ = newBegin;
  while (blocks_.size() > 1 && (firstSerial_ + 1) * kBlockBytes <= begin_) {
    blocks_.pop_front();
    ++firstSerial_;
  }
  rowCacheSerial_ = ~0ull;
}

const std::vector<std::uint64_t>& LogDocument::RowStartsIn(std::size_t b) const {
  const std::uint64_t serial = firstSerial_ + b;
  const Block& block = blocks_[b];
  const std::uint64_t rows = (b + 1 < blocks_.size() ? blocks_[b + 1].rowsBefore : totalRows_) - block.rowsBefore;
  if (rowCacheSerial_ == serial && rowCacheRows_ == rows) return rowCache_;
  rowCache_.clear();
  if (rows > 0) {
    std::uint64_t start = serial * kBlockBytes + block.firstRow;
    rowCache_.push_back(start);
    while (rowCache_.size() < rows && NextRow(start, start)) rowCache_.push_back(start);
  }
  rowCacheSerial_ = serial;
  rowCacheRows_ = rows;
  return rowCache_;
}

LogDocument::Row LogDocument::RowAt(std::uint64_t index) const {
  const std::uint64_t serial = std::min(droppedRows_ + index, totalRows_ - 1);
  auto after = std::upper_bound(blocks_.begin(), blocks_.end(), serial,
                                [](std::uint64_t s, const Block& block) { return s < block.rowsBefore; });
  const std::size_t b = std::size_t(after - blocks_.begin()) - 1;
  const std::vector<std::uint64_t>& starts = RowStartsIn(b);
  Row row;
  row.start = std::max(begin_, starts[serial - blocks_[b].rowsBefore]);
  row.lineStart = row.start == begin_ || ByteAt(row.start - 1) == '\n';
  std::uint64_t next = 0;
  if (!NextRow(row.start, next))
    row.end = end_;
  else
    row.end = ByteAt(next - 1) == '\n' ? next - 1 : next;
  return row;
}

std::uint64_t LogDocument::RowOf(std::uint64_t position) const {
  position = std::clamp(position, begin_, end_);
  const std::size_t b = std::min<std::uint64_t>(BlockOf(position), BlockEnd() - 1) - firstSerial_;
  const std::vector<std::uint64_t>& starts = RowStartsIn(b);
  const auto after = std::upper_bound(starts.begin(), starts.end(), position);
  const std::uint64_t serial = blocks_[b].rowsBefore + std::uint64_t(after - starts.begin());
  return serial == 0 || serial - 1 < droppedRows_ ? 0 : serial - 1 - droppedRows_;
}

std::uint64_t LogDocument::LineStartOf(std::uint64_t position) const {
  position = std::clamp(position, begin_, end_);
  const std::size_t b = std::min<std::uint64_t>(BlockOf(position), BlockEnd() - 1) - firstSerial_;
  const std::uint64_t blockStart = (firstSerial_ + b) * kBlockBytes;
  const char* bytes = blocks_[b].bytes.get();
  for (std::uint64_t p = position; p > blockStart; --p)
    if (bytes[p - 1 - blockStart] == '\n') return std::max(begin_, p);
  return std::max(begin_, blocks_[b].lineStart);
}

std::uint64_t LogDocument::LineEndOf(std::uint64_t position) const {
  position = std::clamp(position, begin_, end_);
  const std::string_view piece = PieceAt(position);
  if (const void* found = std::memchr(piece.data(), '\n', piece.size()))
    return position + std::uint64_t(static_cast<const char*>(found) - piece.data());
  // The first later block with a break in it: the one before the first
  // whose count of breaks before it has grown.
  const std::size_t b = std::min<std::uint64_t>(BlockOf(position), BlockEnd() - 1) - firstSerial_;
  if (b + 1 >= blocks_.size()) return end_;
  const std::uint64_t breaks = blocks_[b + 1].breaksBefore;
  if (totalBreaks_ == breaks) return end_;
  auto grown = std::upper_bound(blocks_.begin() + std::ptrdiff_t(b + 1), blocks_.end(), breaks,
                                [](std::uint64_t n, const Block& block) { return n < block.breaksBefore; });
  const std::uint64_t holder = firstSerial_ + std::uint64_t(grown - blocks_.begin()) - 1;
  const std::string_view holding = PieceAt(holder * kBlockBytes);
  const void* found = std::memchr(holding.data(), '\n', holding.size());
  return found ? holder * kBlockBytes + std::uint64_t(static_cast<const char*>(found) - holding.data()) : end_;
}

char LogDocument::ByteAt(std::uint64_t position) const {
  const Block& block = BlockAt(position);
  return block.bytes[position % kBlockBytes];
}

std::string_view LogDocument::PieceAt(std::uint64_t position) const {
  if (position < begin_ || position >= end_) return {};
  return StoredPiece(position);
}

// Also before Begin, in the first block: rows are made again from its
// first one.
std::string_view LogDocument::StoredPiece(std::uint64_t position) const {
  const Block& block = BlockAt(position);
  const std::uint32_t offset = std::uint32_t(position % kBlockBytes);
  return std::string_view(block.bytes.get() + offset, block.size - offset);
}

std::string LogDocument::Slice(std::uint64_t from, std::uint64_t to) const {
  from = std::clamp(from, begin_, end_);
  to = std::clamp(to, from, end_);
  std::string text(to - from, '\0');
  CopyTo(from, to, text.data());
  return text;
}

std::uint64_t LogDocument::UnitsAt(std::uint64_t position) const {
  position = std::clamp(position, begin_, end_);
  if (position == end_) return totalUnits_;
  const Block& block = BlockAt(position);
  std::uint64_t units = block.unitsBefore;
  const auto* bytes = reinterpret_cast<const unsigned char*>(block.bytes.get());
  for (std::uint32_t i = 0, n = std::uint32_t(position % kBlockBytes); i < n; ++i) units += UnitsOfLead(bytes[i]);
  return units;
}

std::uint64_t LogDocument::PositionOfUnits(std::uint64_t units) const {
  units = std::clamp(units, beginUnits_, totalUnits_);
  if (units == totalUnits_) return end_;
  auto after = std::upper_bound(blocks_.begin(), blocks_.end(), units,
                                [](std::uint64_t u, const Block& block) { return u < block.unitsBefore; });
  const std::size_t b = std::size_t(after - blocks_.begin()) - 1;
  const Block& block = blocks_[b];
  const auto* bytes = reinterpret_cast<const unsigned char*>(block.bytes.get());
  std::uint64_t count = block.unitsBefore;
  std::uint32_t i = 0;
  while (i < block.size && IsContinuation(bytes[i])) ++i;
  for (; i < block.size; ++i) {
    count += UnitsOfLead(bytes[i]);
    if (count > units) break;
  }
  return std::max(begin_, (firstSerial_ + b) * kBlockBytes + i);
}

std::uint32_t LogDocument::StyleAt(std::uint64_t position) const {
  position = std::clamp(position, begin_, end_);
  const std::size_t b = std::min<std::uint64_t>(BlockOf(position), BlockEnd() - 1) - firstSerial_;
  const std::vector<std::uint32_t>& runs = blocks_[b].runs;
  const auto offset = std::uint32_t(position - (firstSerial_ + b) * kBlockBytes);
  auto after = std::upper_bound(runs.begin(), runs.end(), offset,
                                [](std::uint32_t o, std::uint32_t run) { return o < (run & 0x7FFF); });
  return *(after - 1) >> 15;
}

std::uint64_t LogDocument::StyleEnd(std::uint64_t position, std::uint64_t to) const {
  position = std::clamp(position, begin_, end_);
  const std::size_t b = std::min<std::uint64_t>(BlockOf(position), BlockEnd() - 1) - firstSerial_;
  const std::vector<std::uint32_t>& runs = blocks_[b].runs;
  const std::uint64_t blockStart = (firstSerial_ + b) * kBlockBytes;
  const auto offset = std::uint32_t(position - blockStart);
  auto after = std::upper_bound(runs.begin(), runs.end(), offset,
                                [](std::uint32_t o, std::uint32_t run) { return o < (run & 0x7FFF); });
  const std::uint64_t next = after == runs.end() ? blockStart + kBlockBytes : blockStart + (*after & 0x7FFF);
  return std::min(to, next);
}

LogBytes LogDocument::Bytes() const {
  std::vector<std::shared_ptr<const char[]>> blocks;
  blocks.reserve(blocks_.size());
  for (const Block& block : blocks_) blocks.push_back(block.bytes);
  return LogBytes(std::move(blocks), firstSerial_, begin_, end_);
}
