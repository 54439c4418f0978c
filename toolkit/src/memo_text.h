// A memo's text as the program sees it (CR LF line breaks, positions that
// count a line break as two) and as the widget holds it (one '\n' per line
// break).
#pragma once

#include <QString>

#include "toolkit/strings.h"

// Every CR LF, lone CR and lone LF becomes one '\n'.
QString ToWidgetText(const String& text);
// Every line break of the widget's text becomes CR LF.
String FromWidgetText(const QString& text);
// Position in the program's counting of a position in the widget's text.
int ToProgramPosition(const QString& widgetText, int widgetPosition);
// Position in the widget's text of a position in the program's counting;
// a position inside a line break or past the end is moved forward to the
// next valid one.
int ToWidgetPosition(const QString& widgetText, int programPosition);
