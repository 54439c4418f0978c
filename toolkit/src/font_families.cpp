#include "font_families.h"

#include <QFont>
#include <QStringList>

namespace {

// Chinese fonts of Debian, simplified Chinese first; the CJK glyphs of a
// text in a Latin font come from here.
const QStringList kChinese = {QStringLiteral("WenQuanYi Zen Hei"), QStringLiteral("Noto Sans CJK SC"),
                              QStringLiteral("Droid Sans Fallback"), QStringLiteral("AR PL UMing CN")};

}  // namespace

void InstallFontSubstitutes() {
  // MS Sans Serif and Microsoft Sans Serif: Arial's widths are close.
  const QStringList sans =
      QStringList{QStringLiteral("Liberation Sans"), QStringLiteral("Arial"), QStringLiteral("Arimo")} + kChinese;
  QFont::insertSubstitutions(QStringLiteral("MS Sans Serif"), sans);
  QFont::insertSubstitutions(QStringLiteral("Microsoft Sans Serif"), sans);
  // SimSun (宋体) is a Chinese font with its own Latin letters.
  QFont::insertSubstitutions(QStringLiteral("宋体"), kChinese);
  QFont::insertSubstitutions(QStringLiteral("SimSun"), kChinese);
  // Fixedsys: a fixed-width system font.
  QFont::insertSubstitutions(QStringLiteral("Fixedsys"),
                             QStringList{QStringLiteral("Liberation Mono"), QStringLiteral("DejaVu Sans Mono"),
                                         QStringLiteral("WenQuanYi Zen Hei Mono")} +
                                 kChinese);
}
