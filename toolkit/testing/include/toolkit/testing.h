// Controls for tests and benchmarks (toolkit_testing library): dialogs
// recorded and answered instead of shown, and the event loop run until a
// condition holds. The program never links them.
#pragma once

#include <windows.h>

#include <functional>
#include <vector>

#include "toolkit/strings.h"

// A message box or ShowMessage dialog as it was shown.
struct ShownDialog {
  String Caption;
  String Text;
  UINT Flags;            // MB_* flags; MB_OK for ShowMessage
  bool FromShowMessage;  // ShowMessage rather than a message box
  bool OnGuiThread;      // shown on the GUI thread (always true; recorded to prove it)
};

// While on, dialogs are not shown but recorded and answered at once: with
// the next queued answer, or, when none is queued, with the box's default
// button (IDOK for ShowMessage). Starts the toolkit if needed.
void AnswerDialogsForTesting(bool on);
void QueueDialogAnswerForTesting(int answer);
// InputQuery, while dialogs are answered, is recorded (Text is its prompt)
// and confirmed with the next queued text, or cancelled when none is queued.
void QueueInputAnswerForTesting(const String& text);
std::vector<ShownDialog> ShownDialogsForTesting();
void ClearShownDialogsForTesting();

// Handles events until condition() holds or timeoutMs has passed; returns
// whether it holds.
bool ProcessMessagesUntil(const std::function<bool()>& condition, int timeoutMs = 10000);
// Handles events for about ms milliseconds.
void ProcessMessagesFor(int ms);
// Runs the message loop for ms milliseconds as the program runs it, woken
// only by its own events (ProcessMessagesFor also wakes every few
// milliseconds to check its condition): for measuring what an idle window
// costs.
void RunMessageLoopFor(int ms);

// While dialogs are answered for tests (AnswerDialogsForTesting), file
// dialogs take the next queued file name (a folder's for a folder dialog;
// names on lines of their own for a dialog that takes several), with the
// filter left chosen (1 for the first; 0 leaves the one the dialog showed
// first); an empty name, or none queued, answers as Cancel does. The
// dialog's title is recorded among the shown dialogs (Caption, with MB_OK
// and an empty text).
void QueueFileDialogAnswerForTesting(const String& fileName, int filterIndex = 0);
// Font dialogs, likewise, take the next queued font (a family and a height
// in pixels, negative); an empty name, or none queued, answers as Cancel.
void QueueFontDialogAnswerForTesting(const String& name, int height);

class TControl;
class TWinControl;

// Presses and lets go of a key on a control as the keyboard does (the
// control's own key handling runs, whether or not it has the focus).
// VirtualKey: VK_HOME, VK_END, VK_PRIOR, VK_NEXT, VK_UP, VK_DOWN, VK_RETURN, VK_ESCAPE
// or a letter 'A' to 'Z'. A key the control does not take goes on to its
// parents, as the keyboard's does.
void PressKeyForTesting(TWinControl* Control, WORD VirtualKey, bool Ctrl = false, bool Shift = false);
// Draws the control now, as its next screen frame would, and returns when
// it has been drawn.
void RepaintForTesting(TControl* Control);
