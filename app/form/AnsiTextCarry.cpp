#include "AnsiTextCarry.h"

std::string AnsiTextCarry::Take(const BYTE* pBytes, DWORD dwCount) {
  std::string text;
  text.swap(_Held);
  text.reserve(text.size() + dwCount);
  for (DWORD i = 0; i < dwCount; ++i)
    if (pBytes[i] != 0) text.push_back(static_cast<char>(pBytes[i]));

  // Walk the characters from the start: only then is it known whether the
  // last byte begins a character or ends one.
  size_t i = 0;
  while (i < text.size()) {
    if (!IsDBCSLeadByte(static_cast<BYTE>(text[i]))) {
      ++i;
    } else if (i + 1 < text.size()) {
      i += 2;
    } else {
      _Held = text.substr(i);
      text.resize(i);
      break;
    }
  }
  return text;
}

std::string AnsiTextCarry::Flush() {
  std::string held;
  held.swap(_Held);
  return held;
}
