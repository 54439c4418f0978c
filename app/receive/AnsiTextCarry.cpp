#include "AnsiTextCarry.h"

#include <algorithm>
#include <iterator>

#include "HexText.h"

namespace {

constexpr char16_t kBroken = u'\uFFFD';

// A byte that can end a double-byte character of the code page (GBK). A
// lead byte before any other byte is a broken character on its own, and
// that byte starts the next character: the code page's conversion reads
// the bytes so, and the carry must find the same characters.
bool IsSecondByte(BYTE Byte) { return (Byte >= 0x40 && Byte <= 0x7E) || (Byte >= 0x80 && Byte <= 0xFE); }

// Whether the bytes at pBytes[i] begin a double-byte character.
bool IsPair(const BYTE* pBytes, DWORD dwCount, DWORD i) {
  return IsDBCSLeadByte(pBytes[i]) && i + 1 < dwCount && IsSecondByte(pBytes[i + 1]);
}

// Where the next non-zero byte from i on is, or dwCount.
DWORD SkipZeros(const BYTE* pBytes, DWORD dwCount, DWORD i) {
  while (i < dwCount && pBytes[i] == 0) ++i;
  return i;
}

}  // namespace

bool AnsiTextCarry::Adds(const BYTE* pBytes, DWORD dwCount, bool Hex, bool LetGo, bool Last) const {
  if (Hex) return held_ || dwCount > 0;
  if (LetGo && held_) return true;
  // The first two bytes that are not zero, the held one first.
  int count = held_ ? 1 : 0;
  BYTE first = held_.value_or(0);
  for (DWORD i = SkipZeros(pBytes, dwCount, 0); i < dwCount && count < 2; i = SkipZeros(pBytes, dwCount, i + 1)) {
    if (count == 0) first = pBytes[i];
    ++count;
  }
  // One lead byte alone is only held, unless it is let go after the block.
  return count == 2 || (count == 1 && (!IsDBCSLeadByte(first) || Last));
}

void AnsiTextCarry::Take(const BYTE* pBytes, DWORD dwCount, const Stamping* Stamps) {
  DWORD i = SkipZeros(pBytes, dwCount, 0);
  if (held_ && i < dwCount) {
    Before('x', Stamps);
    if (IsSecondByte(pBytes[i])) {
      const BYTE pair[2] = {*held_, pBytes[i]};
      AddCharacters(pair, 2);
      ++i;
    } else {
      AddBroken();  // the byte after it is taken below as any other
    }
    held_.reset();
  }
  DWORD run = i;  // the first byte of the characters not yet added
  while (i < dwCount) {
    const BYTE byte = pBytes[i];
    if (byte == 0 || byte == '\r' || byte == '\n') {
      AddCharacters(pBytes + run, i - run);
      i = byte == 0 ? i + 1 : AddLineBreak(pBytes, dwCount, i, Stamps);
      run = i;
      continue;
    }
    const bool lead = IsDBCSLeadByte(byte);
    const DWORD next = lead ? SkipZeros(pBytes, dwCount, i + 1) : i + 1;
    if (lead && next == dwCount) {
      // The partner of the last lead byte has not arrived yet.
      AddCharacters(pBytes + run, i - run);
      held_ = byte;
      return;
    }
    if (i == run) Before('x', Stamps);
    if (next == i + 1 || !IsSecondByte(pBytes[next])) {
      // A character of one byte, or two adjacent ones, or a lead byte
      // shown broken: the run goes on.
      i += IsPair(pBytes, dwCount, i) ? 2 : 1;
      continue;
    }
    // A double-byte character whose halves lie either side of zero bytes.
    AddCharacters(pBytes + run, i - run);
    const BYTE pair[2] = {byte, pBytes[next]};
    AddCharacters(pair, 2);
    i = run = next + 1;
  }
  AddCharacters(pBytes + run, i - run);
}

DWORD AnsiTextCarry::AddLineBreak(const BYTE* pBytes, DWORD dwCount, DWORD i, const Stamping* Stamps) {
  Before(static_cast<char>(pBytes[i]), Stamps);
  text_ += u"\r\n";
  ansiLength_ += 2;
  if (pBytes[i] != '\r') return i + 1;
  // A line feed right after a carriage return ends the same line.
  const DWORD next = SkipZeros(pBytes, dwCount, i + 1);
  if (next == dwCount || pBytes[next] != '\n') return i + 1;
  Before('\n', Stamps);
  return next + 1;
}

void AnsiTextCarry::TakeHex(const BYTE* pBytes, DWORD dwCount, const Stamping* Stamps) {
  if (!held_ && dwCount == 0) return;
  if (Stamps) {
    if (Stamps->Stamper.StartHex()) AddAscii("\r\n");
    AddStamp(Stamps->Stamp);
  }
  // A lead byte held back in text mode is a byte like any other here.
  if (held_) {
    const BYTE held = *held_;
    held_.reset();
    TakeHex(&held, 1, nullptr);
  }
  // A piece at a time through a buffer of hex text on the stack.
  constexpr DWORD kPiece = 256;
  char hex[3 * kPiece + 1];
  for (DWORD done = 0; done < dwCount; done += kPiece) {
    const DWORD count = std::min(kPiece, dwCount - done);
    BytesToHex(pBytes + done, count, hex);
    AddAscii(std::string_view(hex, 3 * count));
  }
}

void AnsiTextCarry::LetGoHeldByte(const Stamping* Stamps) {
  if (!held_) return;
  held_.reset();
  Before('x', Stamps);
  AddBroken();
}

void AnsiTextCarry::Forget() {
  text_.clear();
  spans_.clear();
  ansiLength_ = 0;
}

void AnsiTextCarry::TakeStyled(std::u16string_view Text, const TTextStyle& Style, const Stamping* Stamps) {
  TTextStyle stamp;
  stamp.Role = TTextStyle::trStamp;
  for (const char16_t c : Text) {
    if (c == 0) continue;
    const bool pairsUp = c == u'\n' && styledCarriageReturn_;
    styledCarriageReturn_ = c == u'\r';
    const char kind = c == u'\r' || c == u'\n' ? static_cast<char>(c) : 'x';
    if (Stamps) {
      const TimeStamper::Before before = Stamps->Stamper.Next(kind);
      if (before == TimeStamper::Before::kLineBreakAndStamp) AddAscii("\r\n");
      if (before != TimeStamper::Before::kNothing) {
        StyleFrom(stamp);
        AddStamp(Stamps->Stamp);
      }
    }
    if (pairsUp) continue;  // its CR already made the pair
    StyleFrom(Style);
    if (kind != 'x') {
      AddAscii("\r\n");
    } else {
      text_ += c;
      ansiLength_ += c < 0x80 ? 1 : 2;
    }
  }
}

void AnsiTextCarry::StyleFrom(const TTextStyle& Style) {
  const bool plain = Style == TTextStyle();
  if (spans_.empty() ? plain : spans_.back().Style == Style) return;
  if (spans_.empty() && !text_.empty()) spans_.push_back({0, TTextStyle()});
  if (!spans_.empty() && spans_.back().At == text_.size()) {
    spans_.back().Style = Style;
  } else {
    spans_.push_back({text_.size(), Style});
  }
}

void AnsiTextCarry::AddCharacters(const BYTE* pBytes, DWORD dwCount) {
  if (std::all_of(pBytes, pBytes + dwCount, [](BYTE byte) { return byte < 0x80; })) {
    // ASCII: the same characters in UTF-16, widened as they are copied.
    text_.append(pBytes, pBytes + dwCount);
    ansiLength_ += static_cast<int>(dwCount);
  } else {
    AddConverted(pBytes, dwCount);
  }
}

// Converted in place at the end of the text. Each character becomes one
// UTF-16 unit (GBK has no character outside the Basic Multilingual Plane,
// and each broken character becomes one U+FFFD), so the units follow the
// characters one to one: a double-byte character is two bytes of the
// memo's ANSI text, unless the code page has no character for it and it
// shows broken ('?', one byte).
void AnsiTextCarry::AddConverted(const BYTE* pBytes, DWORD dwCount) {
  const size_t at = text_.size();
  text_.resize(at + dwCount);
  const int units = MultiByteToWideChar(CP_ACP, 0, reinterpret_cast<LPCSTR>(pBytes), static_cast<int>(dwCount),
                                        reinterpret_cast<LPWSTR>(text_.data() + at), static_cast<int>(dwCount));
  text_.resize(at + static_cast<size_t>(std::max(units, 0)));
  size_t unit = at;
  for (DWORD i = 0; i < dwCount; ++unit) {
    const bool pair = IsPair(pBytes, dwCount, i);
    // Where the conversion failed, each character shows broken.
    if (unit >= text_.size()) text_ += kBroken;
    ansiLength_ += pair && text_[unit] != kBroken ? 2 : 1;
    i += pair ? 2 : 1;
  }
  // Units beyond the characters (never given by the code page) count as
  // characters of their own.
  for (; unit < text_.size(); ++unit) ansiLength_ += text_[unit] < 0x80 ? 1 : 2;
}

void AnsiTextCarry::AddAscii(std::string_view Text) {
  text_.append(Text.begin(), Text.end());
  ansiLength_ += static_cast<int>(Text.size());
}

void AnsiTextCarry::AddBroken() {
  text_ += kBroken;
  ansiLength_ += 1;  // '?' in the ANSI text
}

void AnsiTextCarry::AddStamp(std::u16string_view Stamp) {
  text_ += Stamp;
  ansiLength_ += static_cast<int>(Stamp.size());
}

void AnsiTextCarry::Before(char Byte, const Stamping* Stamps) {
  if (!Stamps) return;
  const TimeStamper::Before before = Stamps->Stamper.Next(Byte);
  if (before == TimeStamper::Before::kLineBreakAndStamp) AddAscii("\r\n");
  if (before != TimeStamper::Before::kNothing) AddStamp(Stamps->Stamp);
}
