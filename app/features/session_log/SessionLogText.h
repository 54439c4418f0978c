// The text a panel shows, as its session log writes it: UTF-8, a line
// break one LF, terminal escape sequences and control characters taken out
// (the receive area's own TerminalEscapes, so that a log made without
// colours reads as one made with them), and, when asked, a stamp at the
// start of each line. A sequence or a character split between two pieces
// of text is joined.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

#include "TerminalEscapes.h"
#include "TimeStamps.h"

class SessionLogText : private StyledSink {
 public:
  SessionLogText() : escapes_(*this) {}

  // Text as the receive area shows it (line breaks CR LF); Stamp, when not
  // empty, goes before each line that starts in it.
  std::string Take(std::u16string_view Text, std::string_view Stamp);
  // The view was emptied or a new file starts: the next text starts a line.
  void StartLine();

 private:
  void Styled(std::u16string_view Text, const TTextStyle& Look) override;
  void InvalidByte(BYTE /*Byte*/) override {}

  TerminalEscapes escapes_;
  TimeStamper stamper_;
  std::u16string plain_;
  char16_t highSurrogate_ = 0;  // the first half of a pair split between pieces
};
