// A send on its way through a panel's send path. Every send of a panel
// (typed, automatic, quick, paced, a file, a script's, a transfer's) is one
// of these: the panel makes its bytes, its features shape it step by step in
// the order of SendStep, and the panel hands it to the port, at once or
// through its writer thread. What the port takes is counted in S:, echoed
// when the panel shows its sends, and told to every feature (Sent).
#pragma once

#include <windows.h>

#include <string>

#include <toolkit/toolkit.h>

// The steps of a send, in the order every send goes through them.
enum class SendStep {
  Encode,  // text into bytes in the panel's encoding
  Check,   // a checksum after a typed message's bytes
  End,     // a typed text's line ending
  Pace,    // pauses between characters and after lines
};

// Pauses the writer makes after each byte of a send; none by default.
struct SendPacing {
  DWORD CharGapMs = 0;  // after each character
  DWORD LineGapMs = 0;  // after each line ending (LF, or a CR no LF follows)
  bool On() const { return CharGapMs > 0 || LineGapMs > 0; }
};

struct PanelSend {
  // Text to be sent in the panel's encoding (the panel first makes GBK
  // bytes of it); empty when Bytes are given.
  String Text;
  // A send typed in the send line (by its button, Enter or auto-send): it
  // gets the panel's checksum and line ending.
  bool Typed = false;
  // Typed as hexadecimal digits: Bytes are what they spell.
  bool Hex = false;
  // The message's bytes.
  std::string Bytes;
  // What follows the message: a text send's line ending, in the encoding.
  std::string Ending;
  // The code page Bytes and Ending are in.
  UINT CodePage = 936;
  SendPacing Pace;
  // Shown among the received text when the panel shows its sends; a file
  // transfer's protocol bytes are not.
  bool Echo = true;

  std::string Whole() const { return Bytes + Ending; }
};
