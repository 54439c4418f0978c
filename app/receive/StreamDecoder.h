// Received bytes as characters of a chosen code page, block after block.
// A character whose bytes arrive in two deliveries is held until it is
// whole, in every code page. A byte that begins no character of the page,
// or whose character the page does not have, is handed on by its value,
// never dropped and never replaced by a mark: the view shows it as its
// hexadecimal pair.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

// Where decoded text goes, in order.
class DecodedSink {
 public:
  virtual ~DecodedSink() = default;
  // Characters in UTF-16, zero characters included.
  virtual void Text(std::u16string_view Text) = 0;
  // A byte that is no character of the code page.
  virtual void InvalidByte(BYTE Byte) = 0;
};

class StreamDecoder {
 public:
  explicit StreamDecoder(UINT CodePage = 936) : codePage_(CodePage) {}

  UINT CodePage() const { return codePage_; }
  // Later bytes are read in this code page; bytes held for the old one are
  // forgotten.
  void SetCodePage(UINT CodePage);

  // The bytes held from the last block first, then the block's; the first
  // bytes of a character at the block's end are held for the next.
  void Take(const BYTE* pBytes, DWORD dwCount, DecodedSink& Sink);
  // Held bytes that will get no more (the port closed, another opening's
  // bytes follow) are handed on as invalid bytes.
  void LetGo(DecodedSink& Sink);
  // Forgets held bytes, for when the text shown is cleared.
  void Forget() { heldCount_ = 0; }
  bool Holding() const { return heldCount_ > 0; }

 private:
  // Decodes characters from the start of the bytes until the first
  // character boundary at or past Enough; returns it. A character cut off
  // by the bytes' end stops the decoding at its start, with *Cut set.
  DWORD Decode(const BYTE* pBytes, DWORD dwCount, DWORD Enough, DecodedSink& Sink, bool* Cut);
  // Hands on a run of whole characters: converted at once when the code
  // page takes them all, else character by character.
  void Convert(const BYTE* pBytes, DWORD dwCount, DecodedSink& Sink);
  void ConvertEach(const BYTE* pBytes, DWORD dwCount, DecodedSink& Sink);

  UINT codePage_;
  BYTE held_[4] = {};
  DWORD heldCount_ = 0;
  std::u16string converted_;  // kept to spare an allocation a block
};
