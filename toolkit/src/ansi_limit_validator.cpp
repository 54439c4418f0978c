#include "ansi_limit_validator.h"

#include <algorithm>

#include "utf8_ansi_conversion.h"

namespace {

int AnsiBytes(const QString& text) { return AnsiLengthOfUtf8(text.toStdString()); }

}  // namespace

void AnsiLimitValidator::SetAcceptedText(const QString& text) { acceptedBytes_ = AnsiBytes(text); }

QValidator::State AnsiLimitValidator::validate(QString& input, int& pos) const {
  if (bypass_ || limit_ <= 0) return Acceptable;
  // Text the program set beyond the limit may stay, but may not grow.
  int allowed = std::max(limit_, acceptedBytes_);
  int bytes = AnsiBytes(input);
  if (bytes <= allowed) return Acceptable;
  // The new characters sit just before the cursor: drop them from the end of
  // the insertion, whole characters at a time, until the text fits.
  while (bytes > allowed && pos > 0) {
    int size = (pos >= 2 && input[pos - 1].isLowSurrogate() && input[pos - 2].isHighSurrogate()) ? 2 : 1;
    bytes -= AnsiBytes(input.mid(pos - size, size));
    input.remove(pos - size, size);
    pos -= size;
  }
  return bytes <= allowed ? Acceptable : Invalid;
}
