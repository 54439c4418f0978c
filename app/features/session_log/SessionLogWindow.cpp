#include "SessionLogWindow.h"

namespace {

constexpr int kWidth = 460;
constexpr int kLabelWidth = 130;
constexpr int kChooseWidth = 72;

template <typename T>
T* Labelled(TForm* Form, int Top, int& TabOrder, const String& LabelText) {
  T* control = new T(Form);
  control->Parent = Form;
  control->SetBounds(8 + kLabelWidth, Top, kWidth - 16 - kLabelWidth, 24);
  control->TabOrder = TabOrder++;
  TLabel* label = new TLabel(Form);
  label->Parent = Form;
  label->SetBounds(8, Top + 4, kLabelWidth, 20);
  label->Caption = LabelText;
  label->FocusControl = control;
  control->AccessibleName = LabelText;
  return control;
}

TCheckBox* Box(TForm* Form, int Top, int& TabOrder, const String& Caption) {
  TCheckBox* box = new TCheckBox(Form);
  box->Parent = Form;
  box->SetBounds(8, Top, kWidth - 16, 24);
  box->TabOrder = TabOrder++;
  box->Caption = Caption;
  return box;
}

TButton* Button(TForm* Form, int Left, int Width, int& TabOrder, const String& Caption) {
  TButton* button = new TButton(Form);
  button->Parent = Form;
  button->SetBounds(Left, 228, Width, 28);
  button->TabOrder = TabOrder++;
  button->Caption = Caption;
  return button;
}

}  // namespace

SessionLogWindow::SessionLogWindow(ApplyEvent Apply, std::function<void()> OpenFolder)
    : Form(new TForm(nullptr)), _Apply(std::move(Apply)) {
  const String caption = Tr("SessionLog", "会话日志");
  Form->Caption = caption;
  Form->AccessibleName = caption;
  Form->BorderStyle = bsSingle;
  Form->BorderIcons = biSystemMenu;
  Form->Position = poScreenCenter;
  Form->ClientWidth = kWidth;
  Form->ClientHeight = 264;
  int tab = 0;
  LogBox = Box(Form, 8, tab, Tr("SessionLog", "记录会话日志"));
  FolderEdit = Labelled<TEdit>(Form, 38, tab, Tr("SessionLog", "文件夹："));
  FolderEdit->Width = FolderEdit->Width - kChooseWidth - 4;
  ChooseFolderButton = new TButton(Form);
  ChooseFolderButton->Parent = Form;
  ChooseFolderButton->SetBounds(kWidth - 8 - kChooseWidth, 36, kChooseWidth, 28);
  ChooseFolderButton->TabOrder = tab++;
  ChooseFolderButton->Caption = Tr("SessionLog", "选择…");
  ChooseFolderButton->AccessibleName = Tr("SessionLog", "选择日志文件夹");
  ChooseFolderButton->OnClick = [this](TObject*) { ChooseFolder(); };
  PatternEdit = Labelled<TEdit>(Form, 68, tab, Tr("SessionLog", "文件名："));
  PatternEdit->Hint = Tr("SessionLog", "{port} 端口，{date} 日期 (YYYYMMDD)，{time} 时间 (HHMMSS)");
  PatternEdit->ShowHint = true;
  SizeEdit = Labelled<TEdit>(Form, 98, tab, Tr("SessionLog", "新文件大小 (MiB)："));
  SizeEdit->Hint = Tr("SessionLog", "文件到这个大小时开始新文件；0 为不按大小分");
  SizeEdit->ShowHint = true;
  MidnightBox = Box(Form, 128, tab, Tr("SessionLog", "每天午夜开始新文件"));
  AutoStartBox = Box(Form, 154, tab, Tr("SessionLog", "端口打开时自动开始"));
  AlwaysStampBox = Box(Form, 180, tab, Tr("SessionLog", "每行都加时间戳（不论是否显示时间戳）"));
  OpenFolderButton = Button(Form, 8, 120, tab, Tr("SessionLog", "打开文件夹"));
  OpenFolderButton->OnClick = [OpenFolder](TObject*) { OpenFolder(); };
  OkButton = Button(Form, kWidth - 184, 84, tab, Tr("SessionLog", "确定"));
  OkButton->OnClick = [this](TObject*) { this->Apply(); };
  CancelButton = Button(Form, kWidth - 92, 84, tab, Tr("SessionLog", "取消"));
  CancelButton->OnClick = [this](TObject*) { Form->Close(); };

  const TKeyEvent keys = [this](TObject*, unsigned short& Key, TShiftState) {
    if (Key == VK_RETURN) {
      Key = 0;
      this->Apply();
    } else if (Key == VK_ESCAPE) {
      Key = 0;
      Form->Close();
    }
  };
  for (TWinControl* control : {static_cast<TWinControl*>(LogBox), static_cast<TWinControl*>(FolderEdit),
                               static_cast<TWinControl*>(PatternEdit), static_cast<TWinControl*>(SizeEdit),
                               static_cast<TWinControl*>(MidnightBox), static_cast<TWinControl*>(AutoStartBox),
                               static_cast<TWinControl*>(AlwaysStampBox)})
    control->OnKeyDown = keys;
}

SessionLogWindow::~SessionLogWindow() { delete Form; }

void SessionLogWindow::Show(const SessionLogChoices& Choices, bool Logging) {
  LogBox->Checked = Logging;
  FolderEdit->Text = Choices.FolderInUse();
  PatternEdit->Text = Choices.Pattern;
  SizeEdit->Text = IntToStr(static_cast<int>(Choices.SizeMiB));
  MidnightBox->Checked = Choices.Midnight;
  AutoStartBox->Checked = Choices.AutoStart;
  AlwaysStampBox->Checked = Choices.AlwaysStamp;
  Form->Show();
  LogBox->SetFocus();
}

void SessionLogWindow::ChooseFolder() {
  String folder = FolderEdit->Text.Get().Trim();
  if (SelectDirectory(Tr("SessionLog", "会话日志的文件夹"), String(), folder)) FolderEdit->Text = folder;
  FolderEdit->SetFocus();
}

void SessionLogWindow::Apply() {
  SessionLogChoices choices;
  const String folder = FolderEdit->Text.Get().Trim();
  choices.Folder = folder == DefaultSessionFolder() ? String() : folder;
  choices.Pattern = PatternEdit->Text.Get().Trim();
  const int size = SizeEdit->Text.Get().Trim().ToIntDef(-1);
  choices.SizeMiB = static_cast<unsigned>(size < 0 ? 0 : size);
  choices.Midnight = MidnightBox->Checked;
  choices.AutoStart = AutoStartBox->Checked;
  choices.AlwaysStamp = AlwaysStampBox->Checked;
  String problem;
  if (!SessionLogChoices::PatternFits(choices.Pattern))
    problem = Tr("SessionLog", "文件名不能为空，也不能含 /。");
  else if (size < 0 || size > 1048576)
    problem = Tr("SessionLog", "新文件大小应为 0 至 1048576 MiB。");
  if (!problem.IsEmpty()) {
    ShowMessage(Fill(Tr("SessionLog", "不能使用这些设置：%1"), {problem}));
    return;
  }
  if (_Apply(choices, LogBox->Checked)) Form->Close();
}
