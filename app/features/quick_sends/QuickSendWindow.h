// The window of a panel's quick sends: a row per quick send (its button,
// "&1" to "&9" giving Alt+1 to Alt+9, a box that sends it every period, and
// its edit and remove buttons), and below them the fields of a quick send
// with buttons to add it, save it over the one being edited, import,
// export and close. Rows are made once, as many as a list may hold, and
// shown as the list needs them. Closing the window stops the periodic
// sends.
#pragma once

#include <toolkit/toolkit.h>

#include <string>
#include <vector>

#include "QuickSend.h"

class QuickSendList;

class QuickSendWindow {
 public:
  QuickSendWindow(QuickSendList& Sends, const String& Caption);
  ~QuickSendWindow();
  QuickSendWindow(const QuickSendWindow&) = delete;
  QuickSendWindow& operator=(const QuickSendWindow&) = delete;

  void Show();
  // The rows, checks and size follow the list.
  void Refresh();
  // Puts the quick send at Index into the fields, to be saved over it.
  void Edit(size_t Index);

  struct Row {
    TButton* Send;
    TCheckBox* Periodic;
    TButton* Edit;
    TButton* Remove;
  };

  TForm* const Form;
  std::vector<Row> Rows;
  TLabel* EmptyNote;
  TEdit* NameEdit;
  TEdit* MessageEdit;
  TCheckBox* HexBox;
  TComboBox* ChecksumBox;
  TEdit* PeriodEdit;
  TButton* AddButton;
  TButton* SaveButton;
  TButton* ImportButton;
  TButton* ExportButton;
  TButton* CloseButton;

 private:
  void CreateRows();
  void CreateFields();
  void CreateButtons(int Top);
  // The fields as a quick send; false with the reason when the period is
  // not a number.
  bool Typed(QuickSend& Send, std::string& Error) const;
  void AddTyped();
  void SaveTyped();
  void ImportFile();
  void ExportFile();
  // Places the fields and buttons below the rows shown.
  void PlaceBelowRows(int Rows);

  QuickSendList& _Sends;
  int _nEditing = -1;  // the quick send the fields were taken from
  std::vector<TControl*> _Below;
  std::vector<int> _BelowTops;
};
