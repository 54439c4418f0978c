// The record of a link: what both ports received (and, when asked, what the
// panels sent) as frames in the order their bytes arrived. The program owns
// it; the monitor window, its saving and the decoder read from it.
//
// Each port's deliveries come on their own, up to a tick or more after the
// reads they carry, so a run cannot take its place in the time line when it
// is delivered: it waits with its port's runs until every delivery that could
// come before it has had kHold to arrive, and Settle moves the frames that
// have waited long enough into the store in the order of their first bytes.
// A frame is one port's bytes with no quiet spell longer than the port's
// frame gap between them, cut at kMaxFrameBytes and at the end of a port's
// opening.
#pragma once

#include <windows.h>

#include <cstddef>
#include <deque>
#include <string>

// Times are FILETIME intervals (100 ns since 1601, UTC), as the reads are
// stamped.
inline constexpr ULONGLONG kIntervalsPerMs = 10000;

// The control lines as a frame began: a bit each for those that were on.
enum LinkLine : BYTE {
  kLineCts = 0x01,
  kLineDcd = 0x02,
  kLineDsr = 0x04,
  kLineRts = 0x08,
  kLineDtr = 0x10,
  kLineRing = 0x20,
};

struct LinkFrame {
  ULONGLONG Sequence = 0;  // counts the record's frames; never reused, not even after Clear
  int Port = 0;            // the panel: 0 or 1
  bool Sent = false;       // the panel's own send rather than what it received
  std::string Name;        // the port as the frame began ("COM3")
  ULONGLONG Start = 0;     // the arrival of its first read
  ULONGLONG End = 0;       // and of its last
  std::string Bytes;
  BYTE Lines = 0;     // LinkLine bits as its first read came
  DWORD BreakMs = 0;  // a break the panel sent, this long (a frame of its own, without bytes)
};

class LinkRecord {
 public:
  static constexpr ULONGLONG kHold = 500 * kIntervalsPerMs;
  static constexpr size_t kMaxFrameBytes = 1024;

  // The quiet spell that ends a port's frame (both its directions).
  void SetFrameGap(int Port, ULONGLONG Intervals);
  ULONGLONG FrameGap(int Port) const { return Sources[Port * 2].Gap; }
  // The most bytes the store keeps; the oldest frames go beyond it. 0 keeps
  // everything.
  void SetLimit(size_t Bytes);

  // One read's bytes (or one send's), stamped with when they arrived; Lines
  // are the port's control lines then, kept by a frame the read begins.
  void Add(int Port, bool Sent, const std::string& Name, ULONGLONG Time, const BYTE* Bytes, size_t Count,
           BYTE Lines = 0);
  // A break the panel began on its port at Time, Ms long: a frame of its
  // own among the panel's sends.
  void AddBreak(int Port, const std::string& Name, ULONGLONG Time, DWORD Ms);
  // The port's opening has ended: its frames end with it.
  void EndFrames(int Port);
  // Moves the frames whose first bytes came kHold or more before Now into
  // the store, oldest first; true when any moved.
  bool Settle(ULONGLONG Now);
  // Empties the store and what waits to enter it.
  void Clear();

  const std::deque<LinkFrame>& Frames() const { return Store; }
  // The sequence number the next stored frame gets.
  ULONGLONG NextSequence() const { return Next; }
  // Frames that entered the store after a later-stamped one: a delivery
  // that came more than kHold late.
  ULONGLONG LateFrames() const { return Late; }

 private:
  struct Source {
    std::deque<LinkFrame> Waiting;  // the last may still grow while Open
    bool Open = false;
    ULONGLONG Gap = 0;
  };
  static constexpr int kSources = 4;  // two ports, received and sent

  Source* Earliest();
  void Store1(LinkFrame&& Frame);
  void Trim();

  Source Sources[kSources];
  std::deque<LinkFrame> Store;
  size_t StoredBytes = 0;
  size_t Limit = 0;
  ULONGLONG Next = 0;
  ULONGLONG LastStart = 0;
  ULONGLONG Late = 0;
};
