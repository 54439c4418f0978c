// The link monitor's window (链路监视), beside the main window: its choices
// along the top (hex, the panels' sends as rows, decoding, the frame gap,
// pause, clear, the view's limit, saving, find) and the rows of the link
// below in a log view. Find is the panels' find box over the rows: 查找…
// in the rows' menu, its button, or Ctrl+F anywhere in the window.
// It holds no state of the link: LinkMonitor reads its choices and hands it
// rows.
#pragma once

#include <functional>
#include <string>

#include <toolkit/toolkit.h>

#include "MonitorChoices.h"

class MonitorWindow {
 public:
  struct Events {
    std::function<void()> ChoicesChanged;  // hex, sends, decoding, gap or limit
    std::function<void()> PauseClicked;
    std::function<void()> ClearClicked;
    std::function<void()> SaveClicked;
  };

  MonitorWindow(TComponent* Owner, Events Handlers);

  void Show();
  bool Showing() const;

  // The choices as the controls show them; a frame gap that is not a
  // valid number is 0 (each port's default).
  MonitorChoices Choices() const;
  // Shows the choices in the controls, without a ChoicesChanged.
  void SetChoices(const MonitorChoices& Choices);

  void SetPaused(bool Paused);
  void SetSaving(const String& FileName);  // empty: not saving
  void SetStatus(const String& Text);
  enum class RowKind { Received, Sent, Decoded, Bad };
  // A UTF-8 line appended at the end, in the look of its kind.
  void AppendRow(const std::string& Row, RowKind Kind);
  void ClearRows();

  // Shows the find box over the rows.
  void OpenFind();

  TForm* const Form;
  TMenuItem* FindItem;
  TFindBox* Finder;

 private:
  TGroupBox* Bar;
  TCheckBox* HexBox;
  TCheckBox* SendsBox;
  TComboBox* Decode;
  TLabel* GapLabel;
  TEdit* Gap;
  TLabel* LimitLabel;
  TComboBox* Limit;
  TButton* Pause;
  TButton* Clear;
  TButton* Save;
  TButton* FindButton;
  TLabel* Status;
  TLogView* Rows;

  bool Filling = false;  // SetChoices is filling the controls
};
