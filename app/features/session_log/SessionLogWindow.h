// The session log's window (会话日志…): whether the panel logs now, the
// folder and the file name's pattern, when a new file starts (at a size,
// at midnight), whether the log starts when the port opens, and whether
// every line is stamped; a button opens the folder. Enter applies, Escape
// closes; every field has a label that names it for a screen reader.
#pragma once

#include <toolkit/toolkit.h>

#include <functional>

#include "SessionLogChoices.h"

class SessionLogWindow {
 public:
  // Apply gets the choices and whether to log; it returns false, having
  // said why, when they cannot be used (the window then stays).
  using ApplyEvent = std::function<bool(const SessionLogChoices& Choices, bool Log)>;
  SessionLogWindow(ApplyEvent Apply, std::function<void()> OpenFolder);
  ~SessionLogWindow();
  SessionLogWindow(const SessionLogWindow&) = delete;
  SessionLogWindow& operator=(const SessionLogWindow&) = delete;

  // Shows the window with these choices, the focus on the first box.
  void Show(const SessionLogChoices& Choices, bool Logging);
  // Reads the fields; a message says what is wrong, and the window stays.
  void Apply();
  // Asks for the folder in the desktop's folder dialog, from the one typed.
  void ChooseFolder();

  TForm* const Form;
  TCheckBox* LogBox;
  TEdit* FolderEdit;
  TButton* ChooseFolderButton;
  TEdit* PatternEdit;
  TEdit* SizeEdit;
  TCheckBox* MidnightBox;
  TCheckBox* AutoStartBox;
  TCheckBox* AlwaysStampBox;
  TButton* OpenFolderButton;
  TButton* OkButton;
  TButton* CancelButton;

 private:
  ApplyEvent _Apply;
};
