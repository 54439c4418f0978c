#include "memo_text.h"

#include "qt_text.h"

QString ToWidgetText(const String& text) {
  QString source = ToQString(text);
  QString result;
  result.reserve(source.size());
  for (qsizetype i = 0; i < source.size(); ++i) {
    QChar c = source[i];
    if (c == u'\r') {
      result += u'\n';
      if (i + 1 < source.size() && source[i + 1] == u'\n') ++i;
    } else {
      result += c;
    }
  }
  return result;
}

String FromWidgetText(const QString& text) {
  QString result = text;
  result.replace(u'\n', QStringLiteral("\r\n"));
  result.replace(QChar::ParagraphSeparator, QStringLiteral("\r\n"));
  return FromQString(result);
}

namespace {

// The program counts characters (code points), a line break as two.
int ProgramWidth(const QString& text, qsizetype index) {
  QChar c = text[index];
  if (c == u'\n' || c == QChar::ParagraphSeparator) return 2;
  if (c.isLowSurrogate() && index > 0 && text[index - 1].isHighSurrogate()) return 0;
  return 1;
}

}  // namespace

int ToProgramPosition(const QString& widgetText, int widgetPosition) {
  int position = 0;
  for (qsizetype i = 0; i < widgetPosition && i < widgetText.size(); ++i) position += ProgramWidth(widgetText, i);
  return position;
}

int ToWidgetPosition(const QString& widgetText, int programPosition) {
  int position = 0;
  qsizetype i = 0;
  while (i < widgetText.size() && position < programPosition) position += ProgramWidth(widgetText, i++);
  // Never stop between the halves of a surrogate pair.
  while (i < widgetText.size() && ProgramWidth(widgetText, i) == 0) ++i;
  return static_cast<int>(i);
}
