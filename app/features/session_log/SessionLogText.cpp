#include "SessionLogText.h"

namespace {

void AppendUtf8(std::string& Out, char32_t Code) {
  if (Code < 0x80) {
    Out += static_cast<char>(Code);
  } else if (Code < 0x800) {
    Out += static_cast<char>(0xC0 | (Code >> 6));
    Out += static_cast<char>(0x80 | (Code & 0x3F));
  } else if (Code < 0x10000) {
    Out += static_cast<char>(0xE0 | (Code >> 12));
    Out += static_cast<char>(0x80 | ((Code >> 6) & 0x3F));
    Out += static_cast<char>(0x80 | (Code & 0x3F));
  } else {
    Out += static_cast<char>(0xF0 | (Code >> 18));
    Out += static_cast<char>(0x80 | ((Code >> 12) & 0x3F));
    Out += static_cast<char>(0x80 | ((Code >> 6) & 0x3F));
    Out += static_cast<char>(0x80 | (Code & 0x3F));
  }
}

bool IsHigh(char16_t Unit) { return Unit >= 0xD800 && Unit < 0xDC00; }
bool IsLow(char16_t Unit) { return Unit >= 0xDC00 && Unit < 0xE000; }

}  // namespace

void SessionLogText::Styled(std::u16string_view Text, const TTextStyle& /*Look*/) {
  // The area pairs every line break: the CR goes, the LF stays.
  for (char16_t unit : Text)
    if (unit != u'\r') plain_ += unit;
}

void SessionLogText::StartLine() { stamper_.Reset(); }

std::string SessionLogText::Take(std::u16string_view Text, std::string_view Stamp) {
  plain_.clear();
  escapes_.Text(Text);
  std::string out;
  out.reserve(plain_.size() + plain_.size() / 2);
  for (char16_t unit : plain_) {
    char32_t code = unit;
    const char16_t high = highSurrogate_;
    highSurrogate_ = 0;
    if (high != 0 && IsLow(unit)) {
      code = 0x10000 + ((static_cast<char32_t>(high) - 0xD800) << 10) + (unit - 0xDC00);
    } else {
      if (high != 0) AppendUtf8(out, 0xFFFD);  // half a pair shows as the replacement character
      if (IsHigh(unit)) {
        highSurrogate_ = unit;
        continue;
      }
      if (IsLow(unit)) code = 0xFFFD;
    }
    // The stamper is told every character, stamps or not, so that stamps
    // asked for later start at the right place.
    if (stamper_.Next(code < 0x80 ? static_cast<char>(code) : 'x') != TimeStamper::Before::kNothing && !Stamp.empty())
      out += Stamp;
    AppendUtf8(out, code);
  }
  return out;
}
