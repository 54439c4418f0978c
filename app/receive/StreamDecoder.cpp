#include "StreamDecoder.h"

#include <algorithm>
#include <cstring>

#include "CharacterLength.h"

void StreamDecoder::SetCodePage(UINT CodePage) {
  if (CodePage != codePage_) heldCount_ = 0;
  codePage_ = CodePage;
}

void StreamDecoder::Take(const BYTE* pBytes, DWORD dwCount, DecodedSink& Sink) {
  DWORD start = 0;
  if (heldCount_ > 0) {
    // The held bytes with enough of the block to finish their character.
    BYTE joined[8];
    std::memcpy(joined, held_, heldCount_);
    const DWORD extra = std::min<DWORD>(dwCount, 4);
    std::memcpy(joined + heldCount_, pBytes, extra);
    bool cut = false;
    const DWORD at = Decode(joined, heldCount_ + extra, heldCount_, Sink, &cut);
    if (at < heldCount_) {
      // Still cut off: the whole block was too short to finish it.
      heldCount_ = heldCount_ + extra - at;
      std::memmove(held_, joined + at, heldCount_);
      return;
    }
    start = at - heldCount_;
    heldCount_ = 0;
  }
  bool cut = false;
  const DWORD left = dwCount - start;
  const DWORD at = Decode(pBytes + start, left, left, Sink, &cut);
  if (cut) {
    heldCount_ = left - at;
    std::memcpy(held_, pBytes + start + at, heldCount_);
  }
}

void StreamDecoder::LetGo(DecodedSink& Sink) {
  for (DWORD i = 0; i < heldCount_; ++i) Sink.InvalidByte(held_[i]);
  heldCount_ = 0;
}

DWORD StreamDecoder::Decode(const BYTE* pBytes, DWORD dwCount, DWORD Enough, DecodedSink& Sink, bool* Cut) {
  DWORD i = 0;
  DWORD run = 0;  // the first byte of whole characters not yet handed on
  while (i < Enough) {
    const CharacterLength found = CharacterAt(codePage_, pBytes + i, dwCount - i);
    if (found.What == CharacterLength::kWhole) {
      i += found.Length;
      continue;
    }
    Convert(pBytes + run, i - run, Sink);
    if (found.What == CharacterLength::kCut) {
      *Cut = true;
      return i;
    }
    for (DWORD k = 0; k < found.Length; ++k) Sink.InvalidByte(pBytes[i + k]);
    i += found.Length;
    run = i;
  }
  Convert(pBytes + run, i - run, Sink);
  return i;
}

void StreamDecoder::Convert(const BYTE* pBytes, DWORD dwCount, DecodedSink& Sink) {
  if (dwCount == 0) return;
  const LPCSTR bytes = reinterpret_cast<LPCSTR>(pBytes);
  const int count = static_cast<int>(dwCount);
  if (codePage_ != 1200 && std::all_of(pBytes, pBytes + dwCount, [](BYTE byte) { return byte < 0x80; })) {
    converted_.assign(pBytes, pBytes + dwCount);  // ASCII: the same characters
    Sink.Text(converted_);
    return;
  }
  // A character of the code page is at most two UTF-16 units a byte.
  converted_.resize(dwCount);
  const int units = MultiByteToWideChar(codePage_, MB_ERR_INVALID_CHARS, bytes, count,
                                        reinterpret_cast<LPWSTR>(converted_.data()), count);
  if (units > 0) {
    converted_.resize(static_cast<size_t>(units));
    Sink.Text(converted_);
    return;
  }
  ConvertEach(pBytes, dwCount, Sink);
}

// A character the code page does not have: its first byte is invalid and
// the bytes after it are read afresh, as they may begin characters of
// their own (a lead byte before a line break must not hide the break).
void StreamDecoder::ConvertEach(const BYTE* pBytes, DWORD dwCount, DecodedSink& Sink) {
  WCHAR wide[4];
  DWORD i = 0;
  while (i < dwCount) {
    const CharacterLength found = CharacterAt(codePage_, pBytes + i, dwCount - i);
    const DWORD length = found.What == CharacterLength::kWhole ? found.Length : 1;
    const int units = found.What == CharacterLength::kWhole
                          ? MultiByteToWideChar(codePage_, MB_ERR_INVALID_CHARS, reinterpret_cast<LPCSTR>(pBytes + i),
                                                static_cast<int>(length), wide, 4)
                          : 0;
    if (units > 0) {
      Sink.Text(std::u16string_view(reinterpret_cast<const char16_t*>(wide), static_cast<size_t>(units)));
      i += length;
      continue;
    }
    // UTF-16 goes by units: both bytes of one are shown.
    const DWORD invalid = codePage_ == 1200 ? std::min<DWORD>(2, dwCount - i) : 1;
    for (DWORD k = 0; k < invalid; ++k) Sink.InvalidByte(pBytes[i + k]);
    i += invalid;
  }
}
