// The send options' values: the line ending of text sends and the auto-send
// period, and how a period reads and is typed. With nothing chosen a panel
// sends its text with no line ending, automatically once a second.
#pragma once

#include <toolkit/toolkit.h>

enum class LineEnding { None, CR, LF, CRLF };

// The bytes that end each text send.
const char* LineEndingBytes(LineEnding Ending);

// The auto-send period, in ticks of the window's 100 ms timer.
constexpr int kDefaultAutoPeriodTicks = 10;
constexpr int kMinAutoPeriodTicks = 1;
constexpr int kMaxAutoPeriodTicks = 600;

// A period as menus and hints show it: "100毫秒", "1秒", "2.5秒".
String PeriodText(int Ticks);
// The period typed as milliseconds ("500", " 2500 "); 0 unless it is a
// multiple of 100 from 100 to 60000.
int PeriodTicksFromMilliseconds(const String& Text);
