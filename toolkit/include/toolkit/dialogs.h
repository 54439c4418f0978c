// The simple message dialog.
#pragma once

#include "toolkit/strings.h"

// Shows Msg in a modal box with an OK button, captioned with the
// application's title.
void ShowMessage(const String& Msg);
