// The simple message dialog, the input box, the file dialogs and the font
// dialog.
#pragma once

#include <vector>

#include "toolkit/classes.h"
#include "toolkit/strings.h"

// Shows Msg in a modal box with an OK button, captioned with the
// application's title.
void ShowMessage(const String& Msg);

// Asks for a line of text in a modal box captioned ACaption with APrompt
// above the field, which starts with Value. True, with Value set to what was
// typed, when the user confirms; false, Value unchanged, when not. GUI
// thread only.
bool InputQuery(const String& ACaption, const String& APrompt, String& Value);

// The file dialogs. Execute shows the dialog modally on the GUI thread and
// returns true when the user chose a file, whose full path is then in
// FileName. Filter lists choices as "description|patterns|..." pairs
// ("Text files (*.txt)|*.txt|All files (*)|*"). FilterIndex is the choice
// shown first and, after Execute, the one the user left chosen (1 is the
// first).
class TOpenDialog : public TComponent {
 public:
  explicit TOpenDialog(TComponent* AOwner);

  Property<String> FileName;
  Property<String> Filter;
  Property<String> Title;
  Property<int> FilterIndex;
  // Several files may be chosen (an open dialog): Files() lists them all,
  // FileName the first.
  Property<bool> MultiSelect;

  virtual bool Execute();
  const std::vector<String>& Files() const { return files_; }

 protected:
  // Shows the dialog: true when a file was chosen.
  bool Show(bool forSaving);

 private:
  String fileName_;
  String filter_;
  String title_;
  int filterIndex_ = 1;
  bool many_ = false;
  std::vector<String> files_;
};

// Asks for a folder in a modal dialog captioned Caption, starting from
// Directory (or Root when Directory is empty). True with Directory set to
// the folder chosen; false, Directory unchanged, when cancelled.
bool SelectDirectory(const String& Caption, const String& Root, String& Directory);

// Asks for a file to write; choosing a file that exists asks first whether
// to replace it. A name typed without an extension gets the chosen type's
// (the first pattern of the chosen filter, when it is "*.ext"), as the
// Windows dialog gives it, unless a file of that very name exists (one
// chosen as it stands: a FIFO, a "Makefile").
class TSaveDialog : public TOpenDialog {
 public:
  explicit TSaveDialog(TComponent* AOwner);
  bool Execute() override;
};

// The desktop's font dialog: every font it has, fixed-width and
// proportional, and their sizes. Execute shows it modally on the GUI thread,
// starting from FontName and FontHeight (pixels, negative as TFont::Height
// gives them), and returns true with them set to what the user chose.
class TFontDialog : public TComponent {
 public:
  explicit TFontDialog(TComponent* AOwner);

  Property<String> FontName;
  Property<int> FontHeight;
  Property<String> Title;

  bool Execute();

 private:
  String name_;
  int height_ = -12;
  String title_;
};
