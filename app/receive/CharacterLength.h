// How the bytes of a code page make characters: the length of the one that
// starts at a given byte, told from its first bytes only (whether the code
// page has that character is the conversion's to say).
#pragma once

#include <windows.h>

struct CharacterLength {
  enum Kind {
    kWhole,    // Length bytes make a character
    kCut,      // a character whose bytes go on past the end
    kInvalid,  // Length bytes begin no character
  };
  Kind What;
  DWORD Length;
};

CharacterLength CharacterAt(UINT CodePage, const BYTE* pBytes, DWORD dwLeft);
