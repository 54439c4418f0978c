// The link monitor's window (链路监视), beside the main window: its choices
// along the top (hex, the panels' sends as rows, decoding, the frame gap,
// pause, clear, the view's limit, saving, find) and the rows of the link
// below in a log view.
// It holds no state of the link: LinkMonitor reads its choices and hands it
// rows.
#pragma once

#include <functional>
#include <string>

#include <toolkit/toolkit.h>

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

  bool Hex() const { return HexBox->Checked; }
  bool ShowSends() const { return SendsBox->Checked; }
  bool DecodeModbus() const { return Decode->ItemIndex == 1; }
  // The frame gap the user typed, in milliseconds; 0 when empty (each
  // port's default).
  double FrameGapMs() const;
  // What the rows may keep, in bytes of text; the oldest rows go beyond it.
  unsigned long long RowLimit() const;

  void SetPaused(bool Paused);
  void SetSaving(const String& FileName);  // empty: not saving
  void SetStatus(const String& Text);
  enum class RowKind { Received, Sent, Decoded, Bad };
  // A UTF-8 line appended at the end, in the look of its kind.
  void AppendRow(const std::string& Row, RowKind Kind);
  void ClearRows();

  TForm* const Form;

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
  TLabel* FindLabel;
  TEdit* FindBox;
  TLabel* Status;
  TLogView* Rows;

  void FindText();
};
