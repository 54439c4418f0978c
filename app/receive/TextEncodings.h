// The encodings a panel can show received text in and send text with: the
// menu's name for each, its code page and the word the settings file keeps.
#pragma once

#include <windows.h>

#include <span>
#include <string>

struct TextEncoding {
  const char* Name;  // as the 编码 menu lists it
  UINT CodePage;
  const char* Key;  // in the settings file
};

// GBK, the system's ANSI code page, first: it is the default.
std::span<const TextEncoding> TextEncodings();
// The encoding of a settings word; GBK for an unknown one.
const TextEncoding& EncodingOfKey(const char* Key);
const TextEncoding& EncodingOfCodePage(UINT CodePage);

// UTF-8 text as the bytes of a code page; a character the page lacks
// becomes its default character ('?'), as the system's own conversion
// does.
std::string EncodeText(const std::string& Utf8, UINT CodePage);
