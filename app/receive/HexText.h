// Conversions between bytes and the hexadecimal text that a panel sends and
// shows in hex mode.
#pragma once

#include <windows.h>

// Converts the hexadecimal digits of a zero-ended text into bytes, two digits
// a byte, high half first. Every character that is not a hexadecimal digit
// (either case), and every double-byte character of the ANSI code page, is
// skipped without splitting a pair; a last digit without a
// partner is dropped. Writes a zero byte behind the last converted byte and
// returns the number of bytes converted. The output area must hold
// strlen(szText) / 2 + 1 bytes.
int HexToBytes(const char* szText, BYTE* pBytes);

// Writes each of the dwCount bytes as two upper-case hexadecimal digits and a
// blank, then a terminating zero: szText must hold 3 * dwCount + 1 characters.
void BytesToHex(const BYTE* pBytes, DWORD dwCount, char* szText);
