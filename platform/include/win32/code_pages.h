// Code pages: conversion between the ANSI code page, the other code pages
// serial devices write, and UTF-16.
//
// The system's ANSI code page is GBK (936): CP_ACP means 936. The code pages
// known here are 936, 65001 (UTF-8), 54936 (GB18030), 950 (Big5), 932
// (Shift_JIS), 949 (Korean), 28591 (ISO-8859-1), 1252 (Western) and 1200
// (UTF-16LE, also taken as bytes); any other is ERROR_INVALID_PARAMETER.
// Wide text is UTF-16 in WCHAR units.
//
// Ill-formed input is not an error unless the caller asks for one:
// - MultiByteToWideChar gives U+FFFD for each bad sequence: in UTF-8 for
//   each maximal part of a sequence that could have begun a character, in
//   the double-byte pages for a lead byte with a trail byte in range (that
//   pair maps to nothing; in GB18030 also a four-byte form) or for the byte
//   alone otherwise — including a lead byte that ends the input, the first
//   half of a character whose second half is missing; in 1200 for each
//   unpaired surrogate and for an odd last byte. With MB_ERR_INVALID_CHARS any of these fails the call with
//   ERROR_NO_UNICODE_TRANSLATION.
// - WideCharToMultiByte to UTF-8, GB18030 or 1200 (pages that write every
//   character) gives U+FFFD for an unpaired surrogate (or fails with
//   ERROR_NO_UNICODE_TRANSLATION under WC_ERR_INVALID_CHARS). To the other
//   pages, each UTF-16 unit without a character there becomes the default
//   character (lpDefaultChar, else '?'), so a surrogate pair becomes two,
//   and *lpUsedDefaultChar tells whether that happened. No best-fit
//   mappings are made: WC_NO_BEST_FIT_CHARS is accepted and changes nothing.
//
// Sizes: -1 takes the input up to and including its ending zero, which is
// then converted too. An output size of 0 asks only for the size needed.
// An output that is too small fails with ERROR_INSUFFICIENT_BUFFER and is
// left as it was. An input size of 0, a negative size other than -1 or a
// missing buffer is ERROR_INVALID_PARAMETER; a flag the code page does not
// take is ERROR_INVALID_FLAGS. On failure the result is 0.
#pragma once

#include "win32/types.h"

typedef char16_t WCHAR;
typedef WCHAR* PWSTR;
typedef WCHAR* LPWSTR;
typedef const WCHAR* PCWSTR;
typedef const WCHAR* LPCWSTR;

#define CP_ACP 0
#define CP_UTF8 65001

// MultiByteToWideChar: MB_PRECOMPOSED and MB_USEGLYPHCHARS are accepted by
// the pages that lack some characters and change nothing; UTF-8, GB18030
// and 1200 take MB_ERR_INVALID_CHARS only.
#define MB_PRECOMPOSED 0x00000001
#define MB_USEGLYPHCHARS 0x00000004
#define MB_ERR_INVALID_CHARS 0x00000008

// WideCharToMultiByte: the pages that lack some characters take
// WC_NO_BEST_FIT_CHARS, the others WC_ERR_INVALID_CHARS.
#define WC_ERR_INVALID_CHARS 0x00000080
#define WC_NO_BEST_FIT_CHARS 0x00000400

#define ERROR_INVALID_FLAGS 1004L
#define ERROR_NO_UNICODE_TRANSLATION 1113L

// Whether the byte begins a double-byte character of the ANSI code page
// (0x81 to 0xFE in GBK), as when cutting text to a byte limit.
BOOL WINAPI IsDBCSLeadByte(BYTE TestChar);
// Whether the byte begins a character of more than one byte in a
// double-byte code page (0x81 to 0xFE in GBK, GB18030, Big5 and Korean;
// 0x81 to 0x9F and 0xE0 to 0xFC in Shift_JIS); never in the other pages.
BOOL WINAPI IsDBCSLeadByteEx(UINT CodePage, BYTE TestChar);

int WINAPI MultiByteToWideChar(UINT CodePage, DWORD dwFlags, LPCSTR lpMultiByteStr, int cbMultiByte,
                               LPWSTR lpWideCharStr, int cchWideChar);
int WINAPI WideCharToMultiByte(UINT CodePage, DWORD dwFlags, LPCWSTR lpWideCharStr, int cchWideChar,
                               LPSTR lpMultiByteStr, int cbMultiByte, LPCSTR lpDefaultChar, LPBOOL lpUsedDefaultChar);
