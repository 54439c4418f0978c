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
//
// A received byte's copies in text mode, from the port's input queue to the
// memo's document (4; 5 for a double-byte character):
//   1. the port's input queue (a ring) into ReadData's 2048-byte buffer, by
//      ReadFile on the port's watch thread;
//   2. that buffer into a ReceivedBlock, by ReadData::DoWork on the worker
//      thread, which posts the block to the window (message 1226);
//   3. the block into the text waiting for the next frame, by AnsiTextCarry
//      on the window thread: UTF-16, line breaks paired, stamps added, its
//      ANSI length counted on the way (double-byte characters are converted
//      by MultiByteToWideChar, which copies once more inside the platform);
//   4. that text into the memo's document, by TMemo::Append at the frame:
//      the toolkit lends the text to the widget, whose cursor writes it in.
// The memo's length is not measured again at each frame: the area knows
// what it added, and measures only after someone else changed the memo.
//
// A log view (made on first need, in the memo's place and looks) takes the
// memo's part while some choice needs it (LogNeeds): keeping the whole
// session, or text in styles. It is fed the same way, at the same frame;
// while kLogKeepsAll is not among the needs the same 4 KB rule empties it,
// and it counts line breaks two as the memo does.
#pragma once

#include <windows.h>

#include <functional>
#include <string_view>

#include <toolkit/toolkit.h>

#include "AnsiTextCarry.h"
#include "ReceiveFrame.h"
#include "ReceivedBlock.h"
#include "StyledReceive.h"
#include "TimeStamps.h"

class ReceiveArea {
 public:
  ReceiveArea(ReceiveFrame& Frame, TMemo* Memo, TCheckBox* Hex);
  ~ReceiveArea();
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

  // The panel's display choices (encoding, colours, dump, echo): later
  // blocks are shown by them.
  void SetChoices(const DisplayChoices& Choices);
  const DisplayChoices& Choices() const { return styled_.Choices(); }
  // Bytes the panel just sent, shown when it echoes its sends; with
  // TimeStamps, stamped. More: the rest of the same send follows (paced).
  void Echo(const BYTE* pBytes, DWORD dwCount, bool More, bool TimeStamps);
  // A line of the program's own among the received text (a file transfer's
  // summary), on a line of its own, as text in either display mode.
  void Note(const String& Line);
  // Each tick: a hex dump line quiet for the frame gap ends.
  void Tick();

  // Called each time the memo has been brought up to date.
  std::function<void()> OnShown;
  // Hears the text the area shows as each delivery, echo or tick adds it,
  // before a frame shows it and whether or not one does (the window
  // hidden, the 4 KB rule letting it go unshown): line breaks as CR LF,
  // stamps and the sent mark as shown, in order.
  std::function<void(std::u16string_view Text)> OnText;

  // Why the log view is shown instead of the memo: a set of these bits, one
  // for each choice that needs it. With none, the memo shows the text.
  enum : unsigned {
    kLogKeepsAll = 1,  // keep the whole session: no 4 KB rule
    kLogStyles = 2,    // text in styles (colours, sent text)
    kLogFind = 4,      // the find box is open over it
  };
  // Sets or clears one reason; the view shows what the memo showed when it
  // comes, and gives the memo back what the 4 KB rule lets it hold when it
  // goes (it then lets go of what it kept).
  void NeedLog(unsigned Reason, bool On);
  bool InLog() const { return needs_ != 0; }
  // The log view, made on first call in the memo's place.
  TLogView* Log();
  // The most the log view keeps (its Limit), also when made later.
  void SetLogLimit(unsigned long long Bytes);
  // The log view takes the memo's colour (it changes as the port opens
  // and closes).
  void MatchMemoLooks();
  // The font of the memo and the log view; while the hex dump is shown, a
  // fixed-width font of that height takes its place, so that its columns
  // line up. Until set, the memo's own font.
  void SetFont(const String& Name, int Height);
  // The fixed-width font the hex dump is shown in.
  static constexpr const char* kFixedWidthFont = "Fixedsys";

  // The text the panel shows (the memo's or the log view's), line breaks as
  // the memo gives them (CR LF).
  String ShownText();

 private:
  // Applies the rule before a block's text is added to the text waiting.
  void MakeRoom();
  // The memo's length, measured again if it changed meanwhile.
  void MeasureMemo();
  // Hands OnText what the carry took since it was last told.
  void TellText();
  // The carry forgets its text (told first).
  void ForgetCarried();
  // The stamps of a delivery that adds text now, or none.
  // The stamps of bytes that arrived at ArrivedAt (system time; null for
  // now), or null when nothing is added or stamps are off.
  const Stamping* StampsFor(bool Adds, bool TimeStamps, const FILETIME* ArrivedAt, Stamping& Storage,
                            std::u16string& Stamp);

  // Gives the memo and the log view the font the choices call for.
  void ApplyFont();
  // Puts the log view in the memo's place, or the memo back.
  void SwapTargets(bool ToLog);
  // The log view's text, line breaks as CR LF.
  String LogText() const;

  ReceiveFrame& frame_;
  TMemo* memo_;
  TLogView* log_ = nullptr;
  unsigned needs_ = 0;
  unsigned long long logLimit_ = 0;
  TCheckBox* hex_;
  AnsiTextCarry carry_;  // also holds the text waiting for the next frame
  StyledReceive styled_{carry_};
  DWORD carryOpening_ = 0;  // the opening whose bytes the carry holds
  size_t told_ = 0;         // how much of the carry's text OnText has heard
  TimeStamper stamper_;

  // What the next frame does to the memo: append the waiting text, or
  // replace the memo's text with it (the memo was emptied meanwhile).
  String fontName_;  // empty: the memo's own, not yet changed
  int fontHeight_ = 0;

  bool waiting_ = false;
  bool replace_ = false;
  // The memo's length in bytes of its ANSI text and in characters (each
  // line break two in both), while known: the memo changed by anyone but
  // this area (typed into, set by the program) is measured again.
  bool lengthKnown_ = false;
  bool updating_ = false;  // the area itself is changing the memo
  int shownLength_ = 0;
  int shownCharacters_ = 0;
};
