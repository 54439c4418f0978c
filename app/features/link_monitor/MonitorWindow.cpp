// The monitor window's controls, laid out once.
#include "MonitorWindow.h"

#include <cstdlib>

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
  Form->Caption = "链路监视";
  Form->ClientWidth = 900;
  Form->ClientHeight = 520;
  Bar = Place<TGroupBox>(Form, 0, 0, 900, 64);
  Bar->Align = alTop;
  Bar->AccessibleName = "监视选项";

  HexBox = Place<TCheckBox>(Bar, 8, 8, 70, 22);
  HexBox->Caption = "16进制";
  HexBox->Checked = true;
  SendsBox = Place<TCheckBox>(Bar, 84, 8, 100, 22);
  SendsBox->Caption = "显示发送";
  Decode = Place<TComboBox>(Bar, 190, 8, 170, 22);
  Decode->Style = csDropDownList;
  Decode->Items->Add("解码: 无");
  Decode->Items->Add("解码: Modbus RTU");
  Decode->ItemIndex = 0;
  Decode->AccessibleName = "解码";
  GapLabel = Place<TLabel>(Bar, 370, 11, 90, 20);
  GapLabel->Caption = "帧间隔(ms):";
  Gap = Place<TEdit>(Bar, 460, 8, 60, 22);
  Gap->AccessibleName = "帧间隔(毫秒), 空为 3.5 个字符时间";
  Gap->Hint = "空: 每个串口 3.5 个字符时间";
  Gap->ShowHint = true;
  GapLabel->FocusControl = Gap;
  LimitLabel = Place<TLabel>(Bar, 530, 11, 50, 20);
  LimitLabel->Caption = "行数:";
  Limit = Place<TComboBox>(Bar, 580, 8, 90, 22);
  Limit->Style = csDropDownList;
  for (const char* rows : {"1000", "5000", "20000"}) Limit->Items->Add(rows);
  Limit->ItemIndex = 1;
  Limit->AccessibleName = "显示行数上限";
  LimitLabel->FocusControl = Limit;

  Pause = Place<TButton>(Bar, 8, 36, 70, 24);
  Pause->Caption = "暂停";
  Clear = Place<TButton>(Bar, 84, 36, 70, 24);
  Clear->Caption = "清空";
  Save = Place<TButton>(Bar, 160, 36, 90, 24);
  Save->Caption = "保存…";
  Status = Place<TLabel>(Bar, 260, 40, 630, 20);

  Rows = Place<TMemo>(Form, 0, 64, 900, 456);
  Rows->Align = alClient;
  Rows->ScrollBars = ssVertical;
  Rows->AccessibleName = "链路记录";

  HexBox->OnClick = [Handlers](TObject*) { Handlers.ChoicesChanged(); };
  SendsBox->OnClick = [Handlers](TObject*) { Handlers.ChoicesChanged(); };
  Decode->OnChange = [Handlers](TObject*) { Handlers.ChoicesChanged(); };
  Gap->OnChange = [Handlers](TObject*) { Handlers.ChoicesChanged(); };
  Limit->OnChange = [Handlers](TObject*) { Handlers.ChoicesChanged(); };
  Pause->OnClick = [Handlers](TObject*) { Handlers.PauseClicked(); };
  Clear->OnClick = [Handlers](TObject*) { Handlers.ClearClicked(); };
  Save->OnClick = [Handlers](TObject*) { Handlers.SaveClicked(); };
}

void MonitorWindow::Show() { Form->Show(); }

bool MonitorWindow::Showing() const { return Form->Visible; }

double MonitorWindow::FrameGapMs() const {
  const AnsiString text(Gap->Text);
  const double value = std::strtod(text.c_str(), nullptr);
  return value > 0 && value < 60000 ? value : 0;
}

int MonitorWindow::RowLimit() const { return std::atoi(AnsiString(Limit->Text).c_str()); }

void MonitorWindow::SetPaused(bool Paused) { Pause->Caption = Paused ? "继续" : "暂停"; }

void MonitorWindow::SetSaving(const String& FileName) { Save->Caption = FileName.IsEmpty() ? "保存…" : "停止保存"; }

void MonitorWindow::SetStatus(const String& Text) { Status->Caption = Text; }

void MonitorWindow::AppendRows(const std::string& Text) { Rows->Append(String(Text.c_str())); }

void MonitorWindow::ClearRows() { Rows->Clear(); }
