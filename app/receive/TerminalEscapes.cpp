#include "TerminalEscapes.h"

namespace {

constexpr char16_t kEscape = 0x1B;
constexpr size_t kLongestParams = 64;  // longer than any rendition needs

bool IsLineBreak(char16_t Char) { return Char == u'\r' || Char == u'\n'; }

// Characters shown as text: all but control characters (C0, DEL, C1),
// of which tab and line breaks stay.
bool IsShown(char16_t Char) {
  if (Char == u'\t' || IsLineBreak(Char)) return true;
  return Char >= 0x20 && !(Char >= 0x7F && Char <= 0x9F);
}

}  // namespace

void TerminalEscapes::Text(std::u16string_view Text) {
  size_t run = 0;  // the first character of shown text not yet handed on
  for (size_t i = 0; i < Text.size(); ++i) {
    const char16_t c = Text[i];
    if (state_ == State::kText && IsShown(c)) continue;
    if (i > run && state_ == State::kText) out_.Styled(Text.substr(run, i - run), look_);
    run = i + 1;
    if (state_ != State::kText) {
      InSequence(c);
      // A line break that ended a sequence is shown; so is what ended one
      // without belonging to it.
      if (state_ == State::kText && (IsLineBreak(c) || c >= 0xA0)) run = i;
      continue;
    }
    if (c == kEscape) {
      state_ = State::kEscape;
    } else if (c == 0x9B) {
      state_ = State::kControl;
      params_.clear();
      private_ = overlong_ = false;
    } else if (c == 0x90 || c == 0x9D || c == 0x98 || c == 0x9E || c == 0x9F) {
      state_ = State::kString;
    }
  }
  if (state_ == State::kText && run < Text.size()) out_.Styled(Text.substr(run), look_);
}

void TerminalEscapes::InSequence(char16_t Char) {
  if (IsLineBreak(Char) || Char >= 0xA0 || (Char >= 0x7F && state_ != State::kString)) {
    state_ = State::kText;  // not part of any sequence: shown by the caller
    return;
  }
  switch (state_) {
    case State::kEscape:
    case State::kStringEscape:
      if (state_ == State::kStringEscape && Char == u'\\') {
        state_ = State::kText;
      } else if (Char == u'[') {
        state_ = State::kControl;
        params_.clear();
        private_ = overlong_ = false;
      } else if (Char == u']' || Char == u'P' || Char == u'X' || Char == u'^' || Char == u'_') {
        state_ = State::kString;
      } else if (Char >= 0x20 && Char <= 0x2F) {
        state_ = State::kIntroduced;
      } else if (Char >= 0x30) {
        state_ = State::kText;  // a two-character sequence ends here
      } else {
        state_ = Char == kEscape ? State::kEscape : state_;
      }
      break;
    case State::kIntroduced:
      if (Char >= 0x30) state_ = State::kText;
      if (Char == kEscape) state_ = State::kEscape;
      break;
    case State::kControl:
      if (Char >= 0x40) {
        EndControl(Char);
      } else if (Char >= 0x20) {
        // Parameters, or intermediates (which no rendition has).
        if ((Char >= 0x3C && Char <= 0x3F) || Char < 0x30) private_ = true;
        if (params_.size() < kLongestParams) {
          params_ += Char;
        } else {
          overlong_ = true;
        }
      } else if (Char == kEscape) {
        state_ = State::kEscape;
      }
      break;
    case State::kString:
      if (Char == 0x07 || Char == 0x9C) state_ = State::kText;
      if (Char == kEscape) state_ = State::kStringEscape;
      break;
    case State::kText:
      break;
  }
}

void TerminalEscapes::EndControl(char16_t Final) {
  state_ = State::kText;
  if (Final == u'm' && !private_ && !overlong_) ApplyRendition(params_, look_);
}

void TerminalEscapes::InvalidByte(BYTE Byte) {
  state_ = State::kText;  // a sequence is ASCII: this one is broken
  out_.InvalidByte(Byte);
}

void TerminalEscapes::Reset() {
  state_ = State::kText;
  look_ = TTextStyle();
}
