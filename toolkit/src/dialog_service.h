// The one place where message boxes and ShowMessage dialogs are shown (or,
// for tests, recorded and answered). GUI thread only.
#pragma once

#include <windows.h>

#include "toolkit/strings.h"

// Returns the ID of the button chosen (IDOK, IDCANCEL...).
int ShowDialog(const String& caption, const String& text, UINT flags, bool fromShowMessage);

// Asks for a line of text, starting from value; true with the text typed
// when the user accepts it, false (value unchanged) when not.
bool ShowInputDialog(const String& caption, const String& prompt, String& value);

// While dialogs are answered for tests: records a file dialog with this
// title, puts the queued answer (empty for Cancel) into *answer and returns
// true. Returns false when the dialog is to be shown.
bool TestFileDialogAnswer(const String& title, String* answer);
