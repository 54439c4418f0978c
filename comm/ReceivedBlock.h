// The block of received bytes that a channel posts to its window.
//
// Message kReceivedDataMessage: wParam is the port number, lParam a
// ReceivedBlock allocated with new. From the moment it is posted the block
// belongs to the window, which releases it with delete.
#pragma once

#include <windows.h>

#include "PortMessages.h"

class ReadData;

inline constexpr DWORD kReceiveBufferSize = 2048;
inline constexpr DWORD kMaxReadMarks = 32;

// One read that added bytes to a block: where its bytes end in Bytes and the
// system time (FILETIME) taken as the read began, i.e. when they were known
// to have arrived.
struct ReadMark {
  DWORD dwEnd;
  FILETIME ftTime;
};

struct ReceivedBlock {
  // The channel that read the bytes and the opening of its port they came
  // from: a block still on its way when its port closes, or opens again on
  // another number, belongs where it was read, whatever the port number now
  // maps to.
  const ReadData* pChannel;
  DWORD dwOpening;
  // The opening's last block, posted as its port closes (possibly empty).
  bool bLast;
  DWORD dwCount;  // bytes in Bytes, zero bytes included
  // The reads the bytes came in, in order; the last ends at dwCount. Reads
  // past kMaxReadMarks are counted into the last mark (keeping its time).
  DWORD dwMarks;
  ReadMark Marks[kMaxReadMarks];
  BYTE Bytes[kReceiveBufferSize];
};
