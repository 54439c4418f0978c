// The one place where message boxes and ShowMessage dialogs are shown (or,
// for tests, recorded and answered). GUI thread only.
#pragma once

#include <windows.h>

#include "toolkit/strings.h"

// Returns the ID of the button chosen (IDOK, IDCANCEL...).
int ShowDialog(const String& caption, const String& text, UINT flags, bool fromShowMessage);
