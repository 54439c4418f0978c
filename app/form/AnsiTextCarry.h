// Received text arrives in blocks that may split a double-byte (GBK)
// character between two deliveries. The carry keeps an unfinished lead byte
// of a panel until the next block, so that the character shows whole.
#pragma once

#include <windows.h>

#include <string>

class AnsiTextCarry {
 public:
  // Returns the block's text bytes ready to be shown: the byte held from the
  // last block first, then the block's bytes without its zero bytes, less a
  // lead byte at the end whose partner has not arrived yet (that one is held).
  std::string Take(const BYTE* pBytes, DWORD dwCount);

  // Returns and forgets a held lead byte (empty when none), for when the
  // text is shown another way or cleared.
  std::string Flush();

 private:
  std::string _Held;
};
