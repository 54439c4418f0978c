// What one panel's receive area shows.
//
// Each block from the panel's port becomes text when it arrives, by the
// panel's hex switch at that moment: the bytes as ANSI text (zero bytes left
// out, a double-byte character split between blocks held until it is
// whole), or their hexadecimal pairs. The memo gets that text as if every
// block were shown on its own: a memo holding more than 4096 bytes of ANSI
// text (a line break counting two) is emptied before the next text; a lone
// carriage return or line feed becomes a line break; the newest text is
// brought into view. But the memo is brought up to date at most once a
// screen frame (ReceiveFrame), and not while the window is hidden or
// minimised, so a fast line costs one append and one redraw a frame, not a
// rebuilt text a block.
#pragma once

#include <windows.h>

#include <functional>

#include <toolkit/toolkit.h>

#include "AnsiTextCarry.h"
#include "ReceiveFrame.h"
#include "ReceivedBlock.h"
#include "TimeStamps.h"

class ReceiveArea {
 public:
  ReceiveArea(ReceiveFrame& Frame, TMemo* Memo, TCheckBox* Hex);
  ReceiveArea(const ReceiveArea&) = delete;
  ReceiveArea& operator=(const ReceiveArea&) = delete;

  // One block from the panel's port; with TimeStamps, its lines stamped.
  void Take(const ReceivedBlock& Block, bool TimeStamps);
  // Brings the memo up to date now, seen or not.
  void ShowNow();
  // Empties the memo, and forgets text not yet shown and a held lead byte.
  void Clear();
  // Time stamps are turned on: they start after what the memo shows.
  void StartTimeStamps();

  // Called each time the memo has been brought up to date.
  std::function<void()> OnShown;

 private:
  // The text a block adds; empty when it has nothing to show.
  String TextOf(const ReceivedBlock& Block, bool Hex);
  // A held lead byte that will get no partner, shown on its own.
  String LetGoHeldByte(bool Hex);
  // Applies the rule to the text waiting for the next frame.
  void Queue(const String& Text, bool Hex, bool TimeStamps);

  ReceiveFrame& frame_;
  TMemo* memo_;
  TCheckBox* hex_;
  AnsiTextCarry carry_;
  DWORD carryOpening_ = 0;  // the opening whose bytes the carry holds
  TimeStamper stamper_;

  // What the next frame does to the memo: append pending_, or replace its
  // text with pending_ (the memo was emptied meanwhile). shownLength_ is
  // the memo's length when the first text since the last frame came.
  bool waiting_ = false;
  bool replace_ = false;
  int shownLength_ = 0;
  String pending_;
  int pendingLength_ = 0;  // as the memo counts it: line breaks as two
};
