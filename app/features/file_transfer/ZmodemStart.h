// Finds a ZMODEM sender's start in what a port receives: the header that
// asks the receiver to start ("**", ZDLE, 'B', "00": ZRQINIT as hex), also
// when it is split between blocks.
#pragma once

#include <windows.h>

#include <string>

class ZmodemStart {
 public:
  // True when the header ends within these bytes.
  bool Seen(const BYTE* pBytes, DWORD dwCount);
  void Forget() { tail_.clear(); }

 private:
  std::string tail_;  // the last bytes, as far as they may begin the header
};
