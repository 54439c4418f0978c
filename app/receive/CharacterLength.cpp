#include "CharacterLength.h"

namespace {

constexpr UINT kGb18030 = 54936;
constexpr UINT kUtf16 = 1200;

bool Within(BYTE Byte, BYTE Low, BYTE High) { return Byte >= Low && Byte <= High; }

// UTF-8 by its well-formed sequences: a lead byte and continuation bytes
// in the ranges that exclude over-long forms, surrogates and values past
// U+10FFFF. A sequence broken off before its end begins no character: its
// lead byte alone is invalid, and the next byte is read afresh.
CharacterLength Utf8At(const BYTE* pBytes, DWORD dwLeft) {
  const BYTE lead = pBytes[0];
  DWORD length;
  BYTE low = 0x80;
  BYTE high = 0xBF;
  if (Within(lead, 0xC2, 0xDF)) {
    length = 2;
  } else if (Within(lead, 0xE0, 0xEF)) {
    length = 3;
    if (lead == 0xE0) low = 0xA0;
    if (lead == 0xED) high = 0x9F;
  } else if (Within(lead, 0xF0, 0xF4)) {
    length = 4;
    if (lead == 0xF0) low = 0x90;
    if (lead == 0xF4) high = 0x8F;
  } else {
    return {CharacterLength::kInvalid, 1};
  }
  for (DWORD i = 1; i < length; ++i) {
    if (i >= dwLeft) return {CharacterLength::kCut, i};
    const bool fits = i == 1 ? Within(pBytes[i], low, high) : Within(pBytes[i], 0x80, 0xBF);
    if (!fits) return {CharacterLength::kInvalid, 1};
  }
  return {CharacterLength::kWhole, length};
}

// UTF-16LE by units: a high surrogate takes a low one after it; an
// unpaired surrogate's two bytes begin no character.
CharacterLength Utf16At(const BYTE* pBytes, DWORD dwLeft) {
  if (dwLeft < 2) return {CharacterLength::kCut, dwLeft};
  const unsigned unit = pBytes[0] | (pBytes[1] << 8);
  if (unit >= 0xDC00 && unit <= 0xDFFF) return {CharacterLength::kInvalid, 2};
  if (unit < 0xD800 || unit > 0xDBFF) return {CharacterLength::kWhole, 2};
  if (dwLeft < 4) return {CharacterLength::kCut, dwLeft};
  const unsigned next = pBytes[2] | (pBytes[3] << 8);
  if (next >= 0xDC00 && next <= 0xDFFF) return {CharacterLength::kWhole, 4};
  return {CharacterLength::kInvalid, 2};
}

}  // namespace

CharacterLength CharacterAt(UINT CodePage, const BYTE* pBytes, DWORD dwLeft) {
  if (CodePage == kUtf16) return Utf16At(pBytes, dwLeft);
  if (pBytes[0] < 0x80) return {CharacterLength::kWhole, 1};
  if (CodePage == CP_UTF8) return Utf8At(pBytes, dwLeft);
  if (!IsDBCSLeadByteEx(CodePage, pBytes[0])) return {CharacterLength::kWhole, 1};
  if (dwLeft < 2) return {CharacterLength::kCut, dwLeft};
  // GB18030's four-byte form: a lead byte, a digit, a lead byte, a digit.
  if (CodePage == kGb18030 && Within(pBytes[1], 0x30, 0x39)) {
    if (dwLeft < 3) return {CharacterLength::kCut, dwLeft};
    if (!IsDBCSLeadByteEx(CodePage, pBytes[2])) return {CharacterLength::kInvalid, 1};
    if (dwLeft < 4) return {CharacterLength::kCut, dwLeft};
    return Within(pBytes[3], 0x30, 0x39) ? CharacterLength{CharacterLength::kWhole, 4}
                                         : CharacterLength{CharacterLength::kInvalid, 1};
  }
  return {CharacterLength::kWhole, 2};
}
