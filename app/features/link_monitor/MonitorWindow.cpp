// The monitor window's controls, laid out once.
#include "MonitorWindow.h"

#include <algorithm>

#include "MenuItems.h"
#include "ReceiveArea.h"

namespace {

template <typename T>
T* Place(TWinControl* Parent, int Left, int Top, int Width, int Height) {
  T* control = new T(Parent);
  control->Parent = Parent;
  control->SetBounds(Left, Top, Width, Height);
  return control;
}

}  // namespace

MonitorWindow::MonitorWindow(TComponent* Owner, Events Handlers) : Form(new TForm(Owner)) {
  Form->Caption = Tr("LinkMonitor", "链路监视");
  Form->ClientWidth = 900;
  Form->ClientHeight = 520;
  Form->ClosesWithKeys = true;
  Bar = Place<TGroupBox>(Form, 0, 0, 900, 64);
  Bar->Align = alTop;
  Bar->AccessibleName = Tr("LinkMonitor", "监视选项");

  HexBox = Place<TCheckBox>(Bar, 8, 8, 70, 22);
  HexBox->Caption = Tr("LinkMonitor", "16进制");
  HexBox->Checked = true;
  SendsBox = Place<TCheckBox>(Bar, 84, 8, 100, 22);
  SendsBox->Caption = Tr("LinkMonitor", "显示发送");
  Decode = Place<TComboBox>(Bar, 190, 8, 170, 22);
  Decode->Style = csDropDownList;
  Decode->Items->Add(Tr("LinkMonitor", "解码: 无"));
  Decode->Items->Add(Tr("LinkMonitor", "解码: Modbus RTU"));
  Decode->ItemIndex = 0;
  Decode->AccessibleName = Tr("LinkMonitor", "解码");
  GapLabel = Place<TLabel>(Bar, 370, 11, 110, 20);
  GapLabel->Caption = Tr("LinkMonitor", "帧间隔(ms):");
  Gap = Place<TEdit>(Bar, 484, 8, 60, 22);
  Gap->AccessibleName = Tr("LinkMonitor", "帧间隔(毫秒), 空为 3.5 个字符时间");
  Gap->Hint = Tr("LinkMonitor", "空: 每个串口 3.5 个字符时间");
  Gap->ShowHint = true;
  GapLabel->FocusControl = Gap;
  LimitLabel = Place<TLabel>(Bar, 556, 11, 110, 20);
  LimitLabel->Caption = Tr("LinkMonitor", "显示上限:");
  Limit = Place<TComboBox>(Bar, 670, 8, 90, 22);
  Limit->Style = csDropDownList;
  for (const int size : MonitorLimits()) Limit->Items->Add(String().sprintf("%d MB", size));
  Limit->AccessibleName = Tr("LinkMonitor", "显示上限");
  LimitLabel->FocusControl = Limit;

  Pause = Place<TButton>(Bar, 8, 36, 70, 24);
  Pause->Caption = Tr("LinkMonitor", "暂停");
  Clear = Place<TButton>(Bar, 84, 36, 70, 24);
  Clear->Caption = Tr("LinkMonitor", "清空");
  Save = Place<TButton>(Bar, 160, 36, 90, 24);
  Save->Caption = Tr("LinkMonitor", "保存…");
  FindButton = Place<TButton>(Bar, 256, 36, 90, 24);
  FindButton->Caption = Tr("LinkMonitor", "查找…");
  FindButton->Hint = Tr("LinkMonitor", "Ctrl+F；F3 下一个，Shift+F3 上一个，Esc 关闭");
  FindButton->ShowHint = true;
  Status = Place<TLabel>(Bar, 356, 40, 534, 20);

  Rows = Place<TLogView>(Form, 0, 64, 900, 456);
  Rows->Align = alClient;
  Rows->AccessibleName = Tr("LinkMonitor", "链路记录");
  // Rows of hexadecimal pairs line up only in a fixed-width font.
  Rows->Font->Name = ReceiveArea::kFixedWidthFont;
  SetChoices(MonitorChoices());

  FindItem =
      NewItem(Form, Tr("LinkMonitor", "查找…"), static_cast<TShortCut>(scCtrl | 'F'), [this](TObject*) { OpenFind(); });
  AddMenuItems(Form, Rows, {FindItem});
  Finder = new TFindBox(Form);
  Finder->OnClose = [this](TObject*) { Rows->SetFocus(); };

  const auto changed = [this, Handlers](TObject*) {
    Rows->Limit = static_cast<unsigned long long>(Choices().LimitMb) << 20;
    if (!Filling) Handlers.ChoicesChanged();
  };
  HexBox->OnClick = changed;
  SendsBox->OnClick = changed;
  Decode->OnChange = changed;
  Gap->OnChange = changed;
  Limit->OnChange = changed;
  FindButton->OnClick = [this](TObject*) { OpenFind(); };
  Pause->OnClick = [Handlers](TObject*) { Handlers.PauseClicked(); };
  Clear->OnClick = [Handlers](TObject*) { Handlers.ClearClicked(); };
  Save->OnClick = [Handlers](TObject*) { Handlers.SaveClicked(); };
}

void MonitorWindow::Show() { Form->Show(); }

bool MonitorWindow::Showing() const { return Form->Visible; }

MonitorChoices MonitorWindow::Choices() const {
  MonitorChoices choices;
  choices.Hex = HexBox->Checked;
  choices.ShowSends = SendsBox->Checked;
  choices.DecodeModbus = Decode->ItemIndex == 1;
  choices.FrameGapMs = FrameGapOfText(Gap->Text.Get().Utf8());
  const int limit = Limit->ItemIndex;
  if (limit >= 0 && static_cast<size_t>(limit) < MonitorLimits().size()) choices.LimitMb = MonitorLimits()[limit];
  return choices;
}

void MonitorWindow::SetChoices(const MonitorChoices& Choices) {
  Filling = true;
  HexBox->Checked = Choices.Hex;
  SendsBox->Checked = Choices.ShowSends;
  Decode->ItemIndex = Choices.DecodeModbus ? 1 : 0;
  // A gap typed as the one chosen stays as typed.
  if (FrameGapOfText(Gap->Text.Get().Utf8()) != Choices.FrameGapMs)
    Gap->Text = String(FrameGapText(Choices.FrameGapMs));
  const std::span<const int> limits = MonitorLimits();
  const auto limit = std::find(limits.begin(), limits.end(), Choices.LimitMb);
  Limit->ItemIndex = limit == limits.end() ? 1 : static_cast<int>(limit - limits.begin());
  Rows->Limit = static_cast<unsigned long long>(Choices.LimitMb) << 20;
  Filling = false;
}

void MonitorWindow::OpenFind() { Finder->ShowFor(Rows); }

void MonitorWindow::SetPaused(bool Paused) {
  Pause->Caption = Paused ? Tr("LinkMonitor", "继续") : Tr("LinkMonitor", "暂停");
}

void MonitorWindow::SetSaving(const String& FileName) {
  Save->Caption = FileName.IsEmpty() ? Tr("LinkMonitor", "保存…") : Tr("LinkMonitor", "停止保存");
}

void MonitorWindow::SetStatus(const String& Text) { Status->Caption = Text; }

void MonitorWindow::AppendRow(const std::string& Row, RowKind Kind) {
  TTextStyle style;
  if (Kind == RowKind::Sent) style.Role = TTextStyle::trSent;
  if (Kind == RowKind::Decoded) style.Fore = clGray;
  if (Kind == RowKind::Bad) style.Fore = clRed;
  Rows->Append(String(Row + "\n"), style);
}

void MonitorWindow::ClearRows() { Rows->Clear(); }
