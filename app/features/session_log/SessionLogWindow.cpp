#include "SessionLogWindow.h"

#include "DialogLayout.h"

namespace {

constexpr int kWidth = 460;
constexpr int kLabelWidth = 130;
constexpr int kChooseWidth = 72;
constexpr int kButtonsTop = 228;

}  // namespace

SessionLogWindow::SessionLogWindow(ApplyEvent Apply, std::function<void()> OpenFolder)
    : Form(new TForm(nullptr)), _Apply(std::move(Apply)) {
  DialogLayout layout(Form, Tr("SessionLog", "会话日志"), kWidth, 264, kLabelWidth);
  LogBox = layout.CheckBox(8, Tr("SessionLog", "记录会话日志"));
  FolderEdit = layout.Field<TEdit>(38, Tr("SessionLog", "文件夹："));
  FolderEdit->Width = FolderEdit->Width - kChooseWidth - 4;
  ChooseFolderButton = layout.Button(kWidth - 8 - kChooseWidth, 36, kChooseWidth, Tr("SessionLog", "选择…"));
  ChooseFolderButton->AccessibleName = Tr("SessionLog", "选择日志文件夹");
  ChooseFolderButton->OnClick = [this](TObject*) { ChooseFolder(); };
  PatternEdit = layout.Field<TEdit>(68, Tr("SessionLog", "文件名："));
  PatternEdit->Hint = Tr("SessionLog", "{port} 端口，{date} 日期 (YYYYMMDD)，{time} 时间 (HHMMSS)");
  PatternEdit->ShowHint = true;
  SizeEdit = layout.Field<TEdit>(98, Tr("SessionLog", "新文件大小 (MiB)："));
  SizeEdit->Hint = Tr("SessionLog", "文件到这个大小时开始新文件；0 为不按大小分");
  SizeEdit->ShowHint = true;
  MidnightBox = layout.CheckBox(128, Tr("SessionLog", "每天午夜开始新文件"));
  AutoStartBox = layout.CheckBox(154, Tr("SessionLog", "端口打开时自动开始"));
  AlwaysStampBox = layout.CheckBox(180, Tr("SessionLog", "每行都加时间戳（不论是否显示时间戳）"));
  layout.AcceptOnEnter([this] { this->Apply(); });

  OpenFolderButton = layout.Button(8, kButtonsTop, 120, Tr("SessionLog", "打开文件夹"));
  OpenFolderButton->OnClick = [OpenFolder](TObject*) { OpenFolder(); };
  OkButton = layout.Button(kWidth - 184, kButtonsTop, 84, Tr("SessionLog", "确定"));
  OkButton->OnClick = [this](TObject*) { this->Apply(); };
  CancelButton = layout.Button(kWidth - 92, kButtonsTop, 84, Tr("SessionLog", "取消"));
  CancelButton->OnClick = [this](TObject*) { Form->Close(); };
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
