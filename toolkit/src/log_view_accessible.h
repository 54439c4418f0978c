// What assistive technology reads of a log view: a read-only multi-line
// text whose text is everything kept, with its caret, selection, character
// count, ranges and geometry, as a text area's.
#pragma once

class QAccessibleInterface;
class LogArea;

QAccessibleInterface* NewLogViewAccessible(LogArea* area);
