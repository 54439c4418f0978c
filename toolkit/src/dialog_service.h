// The one place where the toolkit's modal dialogs are shown: message boxes,
// ShowMessage, InputQuery, the file and font dialogs go to the dialog presenter in
// use. The program's presenter shows them on screen with Qt; another may
// stand in for the screen (the toolkit_testing library records and answers
// them). GUI thread only.
#pragma once

#include <windows.h>

#include <vector>

#include "toolkit/strings.h"

struct FileDialogRequest {
  String Title;
  String FileName;  // the name the dialog starts from
  String Filter;    // "Text (*.txt)|*.txt|All (*)|*"
  bool ForSaving;
  int FilterIndex;      // the filter chosen first, 1 for the first
  bool Many = false;    // several files may be chosen
  bool Folder = false;  // a folder is chosen, not a file
};

class DialogPresenter {
 public:
  virtual ~DialogPresenter() = default;
  // Returns the ID of the button chosen (IDOK, IDCANCEL...).
  virtual int Box(const String& caption, const String& text, UINT flags, bool fromShowMessage) = 0;
  // Asks for a line of text, starting from value; true with the text typed
  // when the user accepts it, false (value unchanged) when not.
  virtual bool Input(const String& caption, const String& prompt, String& value) = 0;
  // True with the file (or files, or folder) chosen and the filter left
  // chosen (1 for the first); false when the dialog was cancelled.
  virtual bool ChooseFile(const FileDialogRequest& request, std::vector<String>* chosen, int* filterIndex) = 0;
  // True with the font chosen (its family and its height in pixels,
  // negative); false, both unchanged, when the dialog was cancelled.
  virtual bool ChooseFont(const String& title, String& name, int& height) = 0;
};

// The presenter in use; the screen's unless another was put in its place.
DialogPresenter& Dialogs();
// Puts a presenter in place of the screen's; null gives the screen back.
void UseDialogPresenter(DialogPresenter* presenter);

// Dialogs for a run without a screen: each is written to standard error
// ("[caption] text") and answered at once with its default button; text
// and file questions are answered as Cancel does.
void UseConsoleDialogs();

// The button a message box with these MB_* flags chooses by default.
int DefaultButtonId(UINT flags);
