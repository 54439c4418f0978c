// TShortCut <-> Qt key sequences.
#pragma once

#include <QKeySequence>

#include "toolkit/menus.h"

// The empty sequence for 0 or a key without a Qt counterpart.
QKeySequence ToKeySequence(TShortCut shortCut);

// The virtual-key code of a Qt key; 0 for keys without one.
int ToVirtualKey(int qtKey);
