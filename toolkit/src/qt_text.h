// String <-> QString.
#pragma once

#include <QString>

#include "toolkit/strings.h"

inline QString ToQString(const String& text) {
  return QString::fromUtf8(text.c_str(), static_cast<qsizetype>(text.Utf8().size()));
}
inline String FromQString(const QString& text) { return String(text.toStdString()); }
