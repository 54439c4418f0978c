// A panel's display choices on the way of received bytes: the encoding,
// terminal colours, the hex dump with its frame gap, and the panel's own
// sends shown among what it receives. With a choice made, each block goes
// through here into the receive area's carry as text in styles; with none,
// the carry takes the bytes itself (GBK text or hexadecimal pairs).
#pragma once

#include <windows.h>

#include <string>

#include "AnsiTextCarry.h"
#include "HexDump.h"
#include "ReceivedBlock.h"
#include "StreamDecoder.h"
#include "TerminalEscapes.h"

struct DisplayChoices {
  UINT CodePage = 936;  // GBK, the system's ANSI code page
  bool Colours = false;
  bool HexDump = false;
  unsigned FrameGap = 0;  // milliseconds; 0 for none
  bool Echo = false;

  bool Any() const { return CodePage != 936 || Colours || HexDump || Echo; }
  // Whether the text needs styles (the log view in the memo's place).
  bool NeedStyles() const { return CodePage != 936 || Colours || Echo; }
  bool operator==(const DisplayChoices&) const = default;
};

class StyledReceive : private StyledSink, private DumpSink {
 public:
  explicit StyledReceive(AnsiTextCarry& Carry) : carry_(Carry), escapes_(*this) {}

  void SetChoices(const DisplayChoices& Choices);
  const DisplayChoices& Choices() const { return choices_; }
  // Whether a block in this mode goes this way.
  bool Takes(bool Hex) const { return Hex ? choices_.HexDump : choices_.Any(); }
  bool Holding() const { return decoder_.Holding(); }

  // A block; LetGo: bytes held from an earlier opening get no more; Last:
  // nor do this opening's. The dump times each read of the block by its
  // read mark (milliseconds of system time, as ReadTimeMs gives), and bytes
  // no mark covers by Now.
  void Take(const ReceivedBlock& Block, bool Hex, bool LetGo, ULONGLONG Now, const Stamping* Stamps);
  // Whether the dump's open line has been quiet for the frame gap by Now,
  // and ending it.
  bool QuietLine(ULONGLONG Now) const { return choices_.HexDump && dump_.Quiet(Now); }
  void EndQuietLine(ULONGLONG Now) { dump_.EndIfQuiet(Now, *this); }
  // Bytes the panel sent, shown on lines of their own in the sent style.
  // More: the rest of the same send follows in later calls (a paced send);
  // it continues this line unless other text is shown before it. No bytes
  // and no More only end the send.
  void Echo(const BYTE* pBytes, DWORD dwCount, bool Hex, bool More, const Stamping* Stamps);
  // Whether a send's echo waits for its rest.
  bool EchoOpen() const { return sendOpen_; }
  // The echoed send gets no more (echo turned off): a character it left
  // split is shown by its bytes, and its line ends.
  void EndEcho(const Stamping* Stamps);
  // Text not in the carry's way (the old path) is about to be added: a
  // line left open for the rest of a send ends first.
  void EndEchoLine(const Stamping* Stamps);
  // Text not in the carry's way (the old path) left the line open.
  void LineOpened() { lineOpen_ = true; }
  // The view was emptied to make room: the next text starts a line.
  void ViewEmptied() { lineOpen_ = echoLineOpen_ = false; }
  // The view was cleared.
  void Clear();

 private:
  void Styled(std::u16string_view Text, const TTextStyle& Style) override;
  void InvalidByte(BYTE Byte) override;
  void DumpText(std::string_view Text, bool Stamp) override;
  void Add(std::u16string_view Text, const TTextStyle& Style, const Stamping* Stamps);
  // "→ " on a line of its own, the dump's line ended first.
  void StartEchoLine(const Stamping* Stamps);

  // Decoded text to the carry, plain (no terminal colours).
  class Plain : public DecodedSink {
   public:
    explicit Plain(StyledReceive& Out) : out_(Out) {}
    void Text(std::u16string_view Text) override { out_.Styled(Text, TTextStyle()); }
    void InvalidByte(BYTE Byte) override { out_.InvalidByte(Byte); }

   private:
    StyledReceive& out_;
  };

  AnsiTextCarry& carry_;
  DisplayChoices choices_;
  StreamDecoder decoder_;
  TerminalEscapes escapes_;
  Plain plain_{*this};
  HexDump dump_;
  const Stamping* stamps_ = nullptr;  // the delivery's, while it is taken
  TTextStyle sent_;                   // set while the panel's sends are shown
  bool echoing_ = false;
  bool lineOpen_ = false;
  // A send's echo, whose characters may be split between its calls.
  StreamDecoder echoDecoder_;
  bool sendOpen_ = false;      // the echoed send has more to come
  bool echoLineOpen_ = false;  // the last text shown is its line, left open
};

// A read mark's time, in milliseconds of system time.
ULONGLONG ReadTimeMs(const FILETIME& Time);

// The carry's text into a log view, each run in its style.
void AppendStyled(TLogView* View, const AnsiTextCarry& Carry);
