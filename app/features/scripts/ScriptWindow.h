// The script window (脚本), one for the program: a bar of buttons (新建,
// 打开…, 保存, 另存为…, 运行, 停止) and the recent scripts, the script's
// text in an editor, and its output and errors in a pane below. Keys work
// anywhere in it: Ctrl+N, Ctrl+O, Ctrl+S, F5 runs, Shift+F5 stops; Alt and
// a button's letter presses it. A script with changes is saved first when
// asked, before another takes its place; an error's line gets the caret.
#pragma once

#include <string>

#include <toolkit/toolkit.h>

class ScriptRunner;
class ScriptRun;

class ScriptWindow {
 public:
  explicit ScriptWindow(ScriptRunner& Host);
  ~ScriptWindow();
  ScriptWindow(const ScriptWindow&) = delete;
  ScriptWindow& operator=(const ScriptWindow&) = delete;

  void Show();
  // Opens a script file into the editor (after asking about changes);
  // false, with a message, when it cannot be read.
  bool OpenFile(const String& FileName);
  // Saves the editor's text to its file (or asks for one); false when not
  // saved.
  bool Save();
  bool SaveAs();
  void Run();

  // From the host.
  void RunStarted(const std::string& Name);
  void ShowOutput(const std::string& Text);
  void RunEnded(const ScriptRun& Run);

  const String& FileName() const { return fileName_; }
  bool Modified() const { return modified_; }

  TForm* const Form;
  TButton* NewButton;
  TButton* OpenButton;
  TButton* SaveButton;
  TButton* SaveAsButton;
  TButton* RunButton;
  TButton* StopButton;
  TComboBox* RecentBox;
  TMemo* Editor;
  TMemo* OutputPane;
  TStatusBar* Status;

 private:
  void MakeBar();
  void MakeKeys();
  // Asks whether to save changes first; false when the user cancelled.
  bool ChangesDealtWith();
  void NewScript();
  void ChooseAndOpen();
  void ShowRecent();
  void ShowCaption();
  void SetStatus(const String& Text);
  // Puts the caret at the start of the editor's line (1-based).
  void GoToLine(int Line);
  // The editor's text with plain line breaks.
  std::string EditorText() const;

  ScriptRunner& host_;
  String fileName_;
  bool modified_ = false;
  bool filling_ = false;    // the editor is being filled, not edited
  size_t outputShown_ = 0;  // bytes in the output pane since it was cleared
};
