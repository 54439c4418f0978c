#include "QuickSendWindow.h"

#include "ChecksumNames.h"
#include "DialogLayout.h"
#include "QuickSendList.h"

namespace {

constexpr int kRowHeight = 30;
constexpr int kWidth = 560;

template <typename T>
T* Placed(TForm* Form, int Left, int Top, int Width, int Height, int& TabOrder) {
  T* control = new T(Form);
  control->Parent = Form;
  control->SetBounds(Left, Top, Width, Height);
  if constexpr (std::is_base_of_v<TWinControl, T>) control->TabOrder = TabOrder++;
  return control;
}

TLabel* NewLabel(TForm* Form, int Left, int Top, const String& Caption, TWinControl* For) {
  TLabel* label = new TLabel(Form);
  label->Parent = Form;
  label->SetBounds(Left, Top, 90, 20);
  label->Caption = Caption;
  label->FocusControl = For;
  return label;
}

String PeriodCaption(const QuickSend& Send) {
  return Send.PeriodMs > 0 ? Fill(Tr("QuickSends", "每 %1 毫秒"), {IntToStr(Send.PeriodMs)})
                           : Tr("QuickSends", "无周期");
}

}  // namespace

QuickSendWindow::QuickSendWindow(QuickSendList& Sends, const String& Caption)
    : Form(new TForm(nullptr)), _Sends(Sends) {
  MakeDialogForm(Form, Caption, kWidth);
  Form->OnClose = [this](TObject*, TCloseAction&) { _Sends.StopPeriodic(); };
  CreateRows();
  CreateFields();
  Refresh();
}

QuickSendWindow::~QuickSendWindow() { delete Form; }

void QuickSendWindow::CreateRows() {
  int tab = 0;
  EmptyNote = new TLabel(Form);
  EmptyNote->Parent = Form;
  EmptyNote->SetBounds(8, 12, kWidth - 16, 20);
  EmptyNote->Caption = Tr("QuickSends", "还没有快捷发送：在下面填写名称和内容，再按“添加”。");
  for (size_t n = 0; n < kMaxQuickSends; ++n) {
    const int top = 8 + static_cast<int>(n) * kRowHeight;
    Row row;
    row.Send = Placed<TButton>(Form, 8, top, 264, 26, tab);
    row.Send->OnClick = [this, n](TObject*) { _Sends.SendNow(n); };
    row.Periodic = Placed<TCheckBox>(Form, 280, top + 2, 148, 22, tab);
    row.Periodic->OnClick = [this, n](TObject*) {
      _Sends.SetPeriodic(n, Rows[n].Periodic->Checked);
      Refresh();  // a period that could not start shows unchecked again
    };
    row.Edit = Placed<TButton>(Form, 432, top, 58, 26, tab);
    row.Edit->Caption = Tr("QuickSends", "编辑");
    row.Edit->OnClick = [this, n](TObject*) { Edit(n); };
    row.Remove = Placed<TButton>(Form, 494, top, 58, 26, tab);
    row.Remove->Caption = Tr("QuickSends", "删除");
    row.Remove->OnClick = [this, n](TObject*) {
      _Sends.Remove(n);
      // The fields keep naming the quick send they came from.
      if (_nEditing == static_cast<int>(n))
        _nEditing = -1;
      else if (_nEditing > static_cast<int>(n))
        --_nEditing;
      Refresh();
    };
    Rows.push_back(row);
  }
}

void QuickSendWindow::CreateFields() {
  int tab = 4 * kMaxQuickSends;
  NameEdit = Placed<TEdit>(Form, 96, 0, 200, 24, tab);
  HexBox = Placed<TCheckBox>(Form, 312, 0, 120, 24, tab);
  HexBox->Caption = Tr("QuickSends", "十六进制");
  MessageEdit = Placed<TEdit>(Form, 96, 0, kWidth - 104, 24, tab);
  MessageEdit->MaxLength = static_cast<int>(kMaxQuickSendMessage);
  MessageEdit->Hint = Tr("QuickSends", "文本可写 \\r \\n \\t \\\\ \\xHH；十六进制如 01 03 00 00 00 0A");
  MessageEdit->ShowHint = true;
  ChecksumBox = Placed<TComboBox>(Form, 96, 0, 250, 24, tab);
  ChecksumBox->Style = csDropDownList;
  for (int n = 0; n < kChecksumCount; ++n) ChecksumBox->Items->Add(ChecksumShownName(static_cast<Checksum>(n)));
  ChecksumBox->ItemIndex = 0;
  PeriodEdit = Placed<TEdit>(Form, 456, 0, kWidth - 464, 24, tab);
  PeriodEdit->Text = "0";
  PeriodEdit->Hint = Tr("QuickSends", "0 为不定时；100 至 3600000，100 的整数倍");
  PeriodEdit->ShowHint = true;
  _Below = {NameEdit,
            HexBox,
            MessageEdit,
            ChecksumBox,
            PeriodEdit,
            NewLabel(Form, 8, 0, Tr("QuickSends", "名称："), NameEdit),
            NewLabel(Form, 8, 0, Tr("QuickSends", "内容："), MessageEdit),
            NewLabel(Form, 8, 0, Tr("QuickSends", "校验："), ChecksumBox),
            NewLabel(Form, 360, 0, Tr("QuickSends", "周期(毫秒)："), PeriodEdit)};
  _BelowTops = {0, 0, 30, 60, 60, 4, 34, 64, 64};
  CreateButtons(tab);
}

void QuickSendWindow::CreateButtons(int Tab) {
  AddButton = Placed<TButton>(Form, 8, 0, 84, 28, Tab);
  AddButton->Caption = Tr("QuickSends", "添加");
  AddButton->OnClick = [this](TObject*) { AddTyped(); };
  SaveButton = Placed<TButton>(Form, 98, 0, 96, 28, Tab);
  SaveButton->Caption = Tr("QuickSends", "保存修改");
  SaveButton->OnClick = [this](TObject*) { SaveTyped(); };
  ImportButton = Placed<TButton>(Form, 220, 0, 84, 28, Tab);
  ImportButton->Caption = Tr("QuickSends", "导入…");
  ImportButton->OnClick = [this](TObject*) { ImportFile(); };
  ExportButton = Placed<TButton>(Form, 310, 0, 84, 28, Tab);
  ExportButton->Caption = Tr("QuickSends", "导出…");
  ExportButton->OnClick = [this](TObject*) { ExportFile(); };
  CloseButton = Placed<TButton>(Form, kWidth - 92, 0, 84, 28, Tab);
  CloseButton->Caption = Tr("QuickSends", "关闭");
  CloseButton->OnClick = [this](TObject*) { Form->Close(); };
  for (TControl* button : {AddButton, SaveButton, ImportButton, ExportButton, CloseButton}) {
    _Below.push_back(button);
    _BelowTops.push_back(96);
  }
}

void QuickSendWindow::Show() {
  Refresh();
  Form->Show();
  NameEdit->SetFocus();
}

void QuickSendWindow::Refresh() {
  const std::vector<QuickSend>& sends = _Sends.Sends();
  for (size_t n = 0; n < Rows.size(); ++n) {
    const Row& row = Rows[n];
    const bool shown = n < sends.size();
    for (TControl* control : {static_cast<TControl*>(row.Send), static_cast<TControl*>(row.Periodic),
                              static_cast<TControl*>(row.Edit), static_cast<TControl*>(row.Remove)})
      control->Visible = shown;
    if (!shown) continue;
    const QuickSend& send = sends[n];
    const String name(send.Name.c_str());
    // "&1" makes Alt+1 press the button; later ones have no key.
    row.Send->Caption = n < 9 ? String().sprintf("&%d ", static_cast<int>(n + 1)) + name : name;
    row.Send->AccessibleName = Fill(Tr("QuickSends", "发送 %1"), {name});
    row.Send->Hint = String(send.Message.c_str());
    row.Send->ShowHint = true;
    row.Periodic->Caption = PeriodCaption(send);
    row.Periodic->Enabled = send.PeriodMs > 0;
    row.Periodic->Checked = _Sends.Periodic(n);
    row.Periodic->AccessibleName = Fill(Tr("QuickSends", "定时发送 %1 %2"), {name, PeriodCaption(send)});
    row.Edit->AccessibleName = Fill(Tr("QuickSends", "编辑 %1"), {name});
    row.Remove->AccessibleName = Fill(Tr("QuickSends", "删除 %1"), {name});
  }
  EmptyNote->Visible = sends.empty();
  PlaceBelowRows(std::max<int>(static_cast<int>(sends.size()), 1));
  SaveButton->Enabled = _nEditing >= 0 && _nEditing < static_cast<int>(sends.size());
}

void QuickSendWindow::PlaceBelowRows(int RowCount) {
  const int top = 16 + RowCount * kRowHeight;
  for (size_t n = 0; n < _Below.size(); ++n) _Below[n]->Top = top + _BelowTops[n];
  Form->ClientHeight = top + 96 + 36;
}

void QuickSendWindow::Edit(size_t Index) {
  const std::vector<QuickSend>& sends = _Sends.Sends();
  if (Index >= sends.size()) return;
  const QuickSend& send = sends[Index];
  NameEdit->Text = String(send.Name.c_str());
  MessageEdit->Text = String(send.Message.c_str());
  HexBox->Checked = send.Hex;
  ChecksumBox->ItemIndex = static_cast<int>(send.Check);
  PeriodEdit->Text = IntToStr(send.PeriodMs);
  _nEditing = static_cast<int>(Index);
  Refresh();
  NameEdit->SetFocus();
}

bool QuickSendWindow::Typed(QuickSend& Send, std::string& Error) const {
  Send.Name = NameEdit->Text.Get().Trim().Utf8();
  Send.Message = MessageEdit->Text.Get().Utf8();
  Send.Hex = HexBox->Checked;
  Send.Check = static_cast<Checksum>(std::clamp(ChecksumBox->ItemIndex.Get(), 0, kChecksumCount - 1));
  const String period = PeriodEdit->Text.Get().Trim();
  Send.PeriodMs = period.ToIntDef(-1);
  if (period.Length() > 7 || !ValidQuickSendPeriod(Send.PeriodMs)) {
    Error = Tr("QuickSends", "周期须为 0（不定时）或 100 至 3600000 毫秒、100 的整数倍").Utf8();
    return false;
  }
  return true;
}

void QuickSendWindow::AddTyped() {
  QuickSend send;
  std::string error;
  if (!Typed(send, error) || !_Sends.Add(send, error)) {
    ShowMessage(Fill(Tr("QuickSends", "不能添加：%1"), {String(error.c_str())}));
    return;
  }
  _nEditing = static_cast<int>(_Sends.Sends().size()) - 1;
  Refresh();
}

void QuickSendWindow::SaveTyped() {
  QuickSend send;
  std::string error;
  if (_nEditing < 0 || !Typed(send, error) || !_Sends.Replace(static_cast<size_t>(_nEditing), send, error))
    ShowMessage(Fill(Tr("QuickSends", "不能保存：%1"), {String(error.c_str())}));
}

void QuickSendWindow::ImportFile() {
  TOpenDialog dialog(nullptr);
  dialog.Title = Tr("QuickSends", "导入快捷发送");
  dialog.Filter = Tr("QuickSends", "制表符分隔文本 (*.tsv;*.txt)|*.tsv;*.txt|所有文件 (*)|*");
  if (!dialog.Execute()) return;
  String report;
  _Sends.Import(dialog.FileName, report);
  ShowMessage(report);
}

void QuickSendWindow::ExportFile() {
  TSaveDialog dialog(nullptr);
  dialog.Title = Tr("QuickSends", "导出快捷发送");
  dialog.Filter = Tr("QuickSends", "制表符分隔文本 (*.tsv)|*.tsv|文本文件 (*.txt)|*.txt|所有文件 (*)|*");
  if (!dialog.Execute()) return;
  String error;
  if (!_Sends.Export(dialog.FileName, error)) ShowMessage(error);
}
