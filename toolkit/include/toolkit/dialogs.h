// The simple message dialog.
#pragma once

#include "toolkit/strings.h"

// Shows Msg in a modal box with an OK button, captioned with the
// application's title.
void ShowMessage(const String& Msg);

// Asks for a line of text in a modal box captioned ACaption with APrompt
// above the field, which starts with Value. True, with Value set to what was
// typed, when the user confirms; false, Value unchanged, when not. GUI
// thread only.
bool InputQuery(const String& ACaption, const String& APrompt, String& Value);
