// The editing items of a text the user reads but cannot change (a read-only
// memo, a log view): copy and select all, with their keys, in one order for
// both, so that the items a program adds after them keep their places
// whichever of the two shows the text.
#pragma once

#include <functional>

class QMenu;
class QWidget;

QMenu* NewReadOnlyTextMenu(QWidget* parent, bool hasSelection, bool hasText, const std::function<void()>& copy,
                           const std::function<void()>& selectAll);
