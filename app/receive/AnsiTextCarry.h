// Received bytes on their way to a panel's memo. The carry writes each
// block straight into the text the memo is given, in the one pass that
// copies it: as UTF-16 characters of the ANSI code page (GBK) or as
// hexadecimal pairs, zero bytes left out of text, every line break made a
// CR LF pair, time stamps at line starts. A double-byte character split
// between blocks is held until it is whole. On the way it counts the
// text's length as the memo's ANSI text will measure it (a line break two
// bytes, a character shown broken one), so that nothing is converted again
// only to measure it.
#pragma once

#include <windows.h>

#include <toolkit/log_view.h>

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "TimeStamps.h"

// The stamps of one delivery: the panel's stamper and the delivery's stamp.
struct Stamping {
  TimeStamper& Stamper;
  std::u16string_view Stamp;
};

class AnsiTextCarry {
 public:
  // Whether taking the block adds any text (a byte let go first, LetGo, or
  // after it, Last, included): zero bytes, or one lead byte that is only
  // held, add none.
  bool Adds(const BYTE* pBytes, DWORD dwCount, bool Hex, bool LetGo, bool Last) const;

  // Text mode: the byte held from the last block first, then the block's
  // characters; a lead byte at its end whose partner has not arrived yet is
  // held. A line break is CR, LF or CR LF (zero bytes between them left out)
  // within the block. Stamps may be null.
  void Take(const BYTE* pBytes, DWORD dwCount, const Stamping* Stamps);
  // Hex mode: the held byte and the block's bytes, zero bytes included, as
  // "XX " pairs after the delivery's stamp.
  void TakeHex(const BYTE* pBytes, DWORD dwCount, const Stamping* Stamps);
  // A held lead byte that will get no partner, in text mode: shown on its
  // own, as the code page's mark for a broken character.
  void LetGoHeldByte(const Stamping* Stamps);

  // Text already decoded, in a style (for the panel's display choices):
  // zero characters left out, every line break made a CR LF pair (also a
  // CR and an LF in two calls), stamps at line starts in their own style.
  void TakeStyled(std::u16string_view Text, const TTextStyle& Style, const Stamping* Stamps);
  // Where each style of Text() starts; empty while all of it is plain.
  struct Span {
    size_t At;
    TTextStyle Style;
  };
  const std::vector<Span>& Spans() const { return spans_; }
  // Text taken from here on is in this style.
  void StyleFrom(const TTextStyle& Style);

  // The text taken since it was last forgotten, and its ANSI length.
  const std::u16string& Text() const { return text_; }
  int AnsiLength() const { return ansiLength_; }
  // Forgets the text taken (a held byte stays held).
  void Forget();
  // Forgets a held lead byte, for when the text shown is cleared.
  void ForgetHeldByte() { held_.reset(); }

 private:
  // Adds whole characters of the ANSI code page, none of them a zero byte
  // or a line break.
  void AddCharacters(const BYTE* pBytes, DWORD dwCount);
  void AddConverted(const BYTE* pBytes, DWORD dwCount);
  void AddAscii(std::string_view Text);
  void AddBroken();
  // Adds the break at pBytes[i] (CR or LF); returns where the next
  // character starts.
  DWORD AddLineBreak(const BYTE* pBytes, DWORD dwCount, DWORD i, const Stamping* Stamps);
  // What goes before the next character, told by its first byte.
  void Before(char Byte, const Stamping* Stamps);
  void AddStamp(std::u16string_view Stamp);

  std::u16string text_;
  int ansiLength_ = 0;
  std::vector<Span> spans_;
  bool styledCarriageReturn_ = false;  // the last styled character was CR
  std::optional<BYTE> held_;
};
