#include "HexText.h"

namespace {

const char kDigits[] = "0123456789ABCDEF";

// The value of a hexadecimal digit, or -1 for any other character.
int DigitValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

}  // namespace

int HexToBytes(const char* szText, BYTE* pBytes) {
  int count = 0;
  bool highHalfWaiting = false;
  for (const char* p = szText; *p != '\0'; ++p) {
    // A double-byte character is skipped whole: its second byte may look
    // like a letter from A to F.
    if (IsDBCSLeadByte(static_cast<BYTE>(*p))) {
      if (p[1] != '\0') ++p;
      continue;
    }
    const int value = DigitValue(*p);
    if (value < 0) continue;
    if (!highHalfWaiting) {
      pBytes[count] = static_cast<BYTE>(value * 16);
      highHalfWaiting = true;
    } else {
      pBytes[count] = static_cast<BYTE>(pBytes[count] + value);
      ++count;
      highHalfWaiting = false;
    }
  }
  pBytes[count] = 0;
  return count;
}

void BytesToHex(const BYTE* pBytes, DWORD dwCount, char* szText) {
  char* out = szText;
  for (DWORD i = 0; i < dwCount; ++i) {
    *out++ = kDigits[pBytes[i] >> 4];
    *out++ = kDigits[pBytes[i] & 0x0F];
    *out++ = ' ';
  }
  *out = '\0';
}
