// Terminal escape sequences taken out of decoded text. Select Graphic
// Rendition (ESC [ ... m) becomes the style of the text after it: the 16
// colours and their bright forms, the 256-colour palette, 24-bit colours,
// bold, underline, reverse and reset. Every other sequence (cursor moves,
// erasing, modes, OSC titles and other strings) and every control
// character but tab, carriage return and line feed (bell, backspace, shift)
// is removed. A sequence may be split across deliveries: the state carries
// over. A line break ends a sequence left open, so that a broken sequence
// never swallows the lines after it.
#pragma once

#include <toolkit/log_view.h>

#include <string>
#include <string_view>

#include "StreamDecoder.h"

// Where styled text goes, in order.
class StyledSink {
 public:
  virtual ~StyledSink() = default;
  virtual void Styled(std::u16string_view Text, const TTextStyle& Look) = 0;
  virtual void InvalidByte(BYTE Byte) = 0;
};

class TerminalEscapes : public DecodedSink {
 public:
  explicit TerminalEscapes(StyledSink& Out) : out_(Out) {}

  void Text(std::u16string_view Text) override;
  void InvalidByte(BYTE Byte) override;

  // Back to plain text in the default look (the view was cleared).
  void Reset();
  const TTextStyle& Look() const { return look_; }

 private:
  enum class State { kText, kEscape, kIntroduced, kControl, kString, kStringEscape };

  // Handles one character inside a sequence.
  void InSequence(char16_t Char);
  void EndControl(char16_t Final);

  StyledSink& out_;
  TTextStyle look_;
  State state_ = State::kText;
  // The parameter and intermediate characters of the control sequence
  // read so far; one too long for any rendition is marked and not kept.
  std::u16string params_;
  bool private_ = false;
  bool overlong_ = false;
};

// Applies the parameters of a rendition (what lies between "ESC [" and
// "m") to a look; parameters it does not know change nothing.
void ApplyRendition(std::u16string_view Params, TTextStyle& Look);

// The colour of a palette entry of the 256-colour table: the 16 standard
// colours, the 6x6x6 cube and the grey ramp, as 0x00BBGGRR.
TColor PaletteColour(unsigned Index);
