// The reads a received block came in: each one's bytes and the time they
// arrived (the system time its port read them from the device).
#pragma once

#include <windows.h>

#include <algorithm>

#include "ReceivedBlock.h"

// Runs Take(Bytes, Count, ArrivedAt) for each read of the block, in order;
// bytes no mark covers (none are expected) come last, with a null time.
template <typename TakeRead>
void ForEachRead(const ReceivedBlock& Block, TakeRead&& Take) {
  DWORD start = 0;
  for (DWORD mark = 0; mark < Block.dwMarks && mark < kMaxReadMarks && start < Block.dwCount; ++mark) {
    const DWORD end = std::min(Block.Marks[mark].dwEnd, Block.dwCount);
    if (end > start) Take(Block.Bytes + start, end - start, &Block.Marks[mark].ftTime);
    start = std::max(start, end);
  }
  if (start < Block.dwCount) Take(Block.Bytes + start, Block.dwCount - start, static_cast<const FILETIME*>(nullptr));
}

// When the block's first byte arrived; null when it has no marks.
inline const FILETIME* FirstArrival(const ReceivedBlock& Block) {
  return Block.dwMarks > 0 && Block.dwCount > 0 ? &Block.Marks[0].ftTime : nullptr;
}
