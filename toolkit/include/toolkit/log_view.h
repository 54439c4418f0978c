// A read-only view of a log that grows by appending: it keeps what it is
// given (up to Limit), and lays out and draws only the lines on screen, so
// its cost per frame does not grow with what it keeps.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>

#include "toolkit/colors.h"
#include "toolkit/controls.h"
#include "toolkit/events.h"

// The style of a run of appended text.
struct TTextStyle {
  TColor Fore = clNone;  // clNone: the view's default colour (or the role's)
  TColor Back = clNone;
  bool Bold = false, Underline = false, Reverse = false;
  // Invalid bytes (e.g. ⟨FF⟩), the panel's own sends and time stamps get
  // looks of their own, under any colours given.
  enum TRole : unsigned char { trText, trInvalidByte, trSent, trStamp };
  TRole Role = trText;

  friend bool operator==(const TTextStyle&, const TTextStyle&) = default;
};

// A log view's text at one moment (UTF-8, lines ended by "\n"), to be read
// from any thread while the view goes on.
class TLogText {
 public:
  TLogText() = default;
  unsigned long long Size() const;
  // Copies up to Count bytes from Offset; returns how many. The pieces
  // read may end inside a character.
  std::size_t Read(unsigned long long Offset, char* Buffer, std::size_t Count) const;

 private:
  friend class TLogView;
  std::shared_ptr<const void> bytes_;  // the view's LogBytes
};

struct TFindOptions {
  bool Regex = false;      // a regular expression: Perl syntax less back references and look-around (RE2)
  bool MatchCase = false;  // upper and lower case differ
  bool Hex = false;        // the pattern is bytes typed as hex ("0d 0a", "0D0A"), sought as shown pairs
};

// Line breaks: "\n", "\r\n" and a lone "\r" each end a line (also when the
// CR and the LF come in two appends); Text() gives them back as "\n".
// Keys: arrows, Page Up/Down, Ctrl+Home/End scroll; Ctrl+A selects all;
// Ctrl+C copies; F3/Shift+F3 go to the next/previous match of the last Find.
// The view follows the newest text while it is scrolled to the bottom; once
// scrolled up, new text (and dropped old text) does not move what is shown.
class TLogView : public TWinControl {
 public:
  explicit TLogView(TComponent* AOwner);
  ~TLogView() override;

  // UTF-8 text. A style is any TTextStyle; runs of the same style are kept
  // once.
  void Append(const String& Text, const TTextStyle& Style = TTextStyle());
  void Append(std::u16string_view Text, const TTextStyle& Style = TTextStyle());
  void Clear();

  // The most text kept, in bytes of its UTF-8 form with each line break
  // counted as one (about the bytes received, for ASCII text); past it the
  // oldest lines go. 0 keeps everything. Lowering it drops at once.
  Property<unsigned long long> Limit;
  unsigned long long KeptBytes() const;
  // Bytes let go since the last Clear.
  unsigned long long DroppedBytes() const;
  // Runs after each change of what is kept (appends, drops, Clear).
  TNotifyEvent OnChange;

  // The whole kept text, lines ended by "\n".
  String Text() const;
  // The kept text as it is now, for reading on any thread (saving it
  // while the view goes on): later text and drops do not change it.
  TLogText TextNow() const;
  // Characters kept (UTF-16 units, a line break one).
  long long CharacterCount() const;
  // Length characters from Start (counted as CharacterCount counts), cut at
  // the end of what is kept.
  String TextRange(long long Start, long long Length) const;
  String SelText() const;
  // Selection in characters from the start of the kept text.
  long long SelStart() const;
  long long SelLength() const;
  void Select(long long Start, long long Length);
  void SelectAll();
  void CopyToClipboard() const;

  // Scrolling: the view follows new text while at the bottom.
  bool AtBottom() const;
  bool AtTop() const;
  void ScrollToTop();
  void ScrollToBottom();
  // Scrolls so that the character at Position (from the start of the kept
  // text) is in view.
  void ScrollToPosition(long long Position);
  // The kept text's character at the top left of the view.
  long long TopPosition() const;

  // Marks every match of Pattern in what is kept and in what comes later;
  // returns their number so far, or -1 for a pattern that is not valid
  // (nothing marked then). An empty pattern ends the search. Over much
  // text the matches are counted on a thread of their own (FindCounting):
  // the count grows, told by OnFindChange, until it is done.
  int Find(const String& Pattern, const TFindOptions& Options = TFindOptions());
  // Selects the match after (before) the selection, wrapping around, and
  // brings it into view. False when there is none (or, while the count
  // runs, none found near).
  bool FindNext(bool Backward = false);
  long long MatchCount() const;
  // The count's thread is at work, this far (0 to 100).
  bool FindCounting() const;
  int FindPercent() const;
  // The count took longer than the time a find may take and stopped: the
  // count is of what it reached.
  bool FindGaveUp() const;
  // The selected match's number, from 1; 0 when no match is selected (or
  // while its number is not known).
  long long CurrentMatch() const;
  void EndFind();
  // Runs when the number of matches changes as text comes and goes, and
  // as the count goes on and ends.
  TNotifyEvent OnFindChange;

  // WM_KEYDOWN with VK_NEXT / VK_PRIOR pages down / up (the low word of
  // LParam times, at least once); EM_SCROLLCARET brings the selection's end
  // into view.
  void Dispatch(TMessage& Message) override;
};
