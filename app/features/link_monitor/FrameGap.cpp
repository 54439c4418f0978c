#include "FrameGap.h"

#include "LinkRecord.h"

int BitsPerCharacter(int DataBits, bool Parity, int StopBits) { return 1 + DataBits + (Parity ? 1 : 0) + StopBits; }

ULONGLONG DefaultFrameGap(int BaudRate, int BitsPerCharacter) {
  constexpr ULONGLONG kFastLineGap = 7 * kIntervalsPerMs / 4;  // 1.75 ms
  if (BaudRate <= 0 || BaudRate > 19200) return kFastLineGap;
  // 3.5 characters: 35 * bits / (10 * baud) seconds, in 100 ns steps.
  return 35ULL * static_cast<ULONGLONG>(BitsPerCharacter) * 1000000ULL / static_cast<ULONGLONG>(BaudRate);
}
