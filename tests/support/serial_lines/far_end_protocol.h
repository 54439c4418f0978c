// What a test program under Wine and its far-end helper say to each other:
// one line each way, words separated by blanks, bytes as hexadecimal text.
//   PLUG n              a fresh line linked as COM<n>            -> OK
//   UNPLUG n            the link removed, both sides closed      -> OK
//   SEND n hex          the bytes sent from the far end          -> OK
//   RECV n count ms     up to count bytes within ms              -> DATA hex
//   RECVFOR n ms        whatever arrives within ms               -> DATA hex
//   QUIET n ms          whether nothing arrives within ms        -> YES | NO
//   HANGUP n            both sides closed, the link kept         -> OK
//   UNLINK n            the link removed, the line kept          -> OK
// A request that fails is answered "ERR <why>".
#pragma once

#include <string>

namespace serial_lines {

inline std::string ToHex(const std::string& bytes) {
  static const char kDigits[] = "0123456789abcdef";
  std::string text;
  text.reserve(bytes.size() * 2);
  for (unsigned char byte : bytes) {
    text += kDigits[byte >> 4];
    text += kDigits[byte & 15];
  }
  return text;
}

inline std::string FromHex(const std::string& text) {
  auto value = [](char digit) { return digit <= '9' ? digit - '0' : digit - 'a' + 10; };
  std::string bytes;
  for (size_t at = 0; at + 1 < text.size(); at += 2)
    bytes += static_cast<char>(value(text[at]) * 16 + value(text[at + 1]));
  return bytes;
}

}  // namespace serial_lines
