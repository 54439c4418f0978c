#include "ScriptWindow.h"

#include "FileErrorText.h"
#include "MenuItems.h"
#include "SavedFiles.h"
#include "ScriptBytes.h"
#include "ScriptFile.h"
#include "ScriptRunner.h"

namespace {

constexpr int kWidth = 760;
constexpr int kStatusHeight = 19;  // as the main window's
constexpr TShortCut kF5 = 0x74;
// The output pane starts again past this much text, so that a script
// printing without end does not fill the memory.
constexpr size_t kLargestOutput = 2 * 1024 * 1024;

template <typename T>
T* Place(TWinControl* Parent, int Left, int Top, int Width, int Height) {
  T* control = new T(Parent);
  control->Parent = Parent;
  control->SetBounds(Left, Top, Width, Height);
  return control;
}

// A caption over a box's pane: a pane filling the box would hide the box's
// own caption.
TLabel* Caption(TWinControl* Box, const String& Text) {
  auto* label = Place<TLabel>(Box, 0, 0, kWidth, 20);
  label->Caption = Text;
  label->Align = alTop;
  return label;
}

TButton* BarButton(TWinControl* Parent, int Left, int Width, const String& Caption, TNotifyEvent OnClick) {
  auto* button = Place<TButton>(Parent, Left, 10, Width, 26);
  button->Caption = Caption;
  button->OnClick = std::move(OnClick);
  return button;
}

}  // namespace

ScriptWindow::ScriptWindow(ScriptRunner& Host) : Form(new TForm(nullptr)), host_(Host) {
  Form->Caption = Tr("Scripts", "脚本");
  Form->AccessibleName = Tr("Scripts", "脚本");
  Form->ClientWidth = kWidth;
  Form->ClientHeight = 580;
  Form->Position = poScreenCenter;
  MakeBar();
  Status = new TStatusBar(Form);
  Status->Parent = Form;
  Status->Panels->Add()->Width = kWidth;
  Status->Panels->Items[0]->AccessibleName = Tr("Scripts", "脚本状态");
  Status->Height = kStatusHeight;
  Status->Align = alBottom;
  auto* outputBox = Place<TGroupBox>(Form, 0, 380, kWidth, 176);
  outputBox->Align = alBottom;
  TLabel* outputCaption = Caption(outputBox, Tr("Scripts", "输出(&U)："));
  OutputPane = Place<TMemo>(outputBox, 8, 20, kWidth - 16, 148);
  OutputPane->Align = alClient;
  OutputPane->ReadOnly = true;
  OutputPane->ScrollBars = ssVertical;
  OutputPane->AccessibleName = Tr("Scripts", "脚本的输出");
  outputCaption->FocusControl = OutputPane;
  auto* editorBox = Place<TGroupBox>(Form, 0, 44, kWidth, 336);
  editorBox->Align = alClient;
  TLabel* editorCaption = Caption(editorBox, Tr("Scripts", "脚本（Lua）(&E)："));
  Editor = Place<TMemo>(editorBox, 8, 20, kWidth - 16, 300);
  Editor->Align = alClient;
  Editor->ScrollBars = ssVertical;
  Editor->Font->Name = "monospace";
  Editor->AccessibleName = Tr("Scripts", "脚本内容");
  editorCaption->FocusControl = Editor;
  Editor->OnChange = [this](TObject*) {
    if (filling_ || modified_) return;
    modified_ = true;
    ShowCaption();
  };
  MakeKeys();
  // Escape puts the window away, as it does the program's other windows:
  // the script and a run go on, and the window comes back as it was.
  const TKeyEvent escape = [this](TObject*, unsigned short& Key, TShiftState) {
    if (Key != VK_ESCAPE) return;
    Key = 0;
    Form->Close();
  };
  for (TWinControl* control :
       {static_cast<TWinControl*>(Editor), static_cast<TWinControl*>(OutputPane), static_cast<TWinControl*>(RecentBox),
        static_cast<TWinControl*>(NewButton), static_cast<TWinControl*>(OpenButton),
        static_cast<TWinControl*>(SaveButton), static_cast<TWinControl*>(SaveAsButton),
        static_cast<TWinControl*>(RunButton), static_cast<TWinControl*>(StopButton)})
    control->OnKeyDown = escape;
  ShowRecent();
  ShowCaption();
  SetStatus(Tr("Scripts", "就绪"));
}

ScriptWindow::~ScriptWindow() { delete Form; }

void ScriptWindow::MakeBar() {
  auto* bar = Place<TGroupBox>(Form, 0, 0, kWidth, 44);
  bar->Align = alTop;
  bar->AccessibleName = Tr("Scripts", "脚本命令");
  NewButton = BarButton(bar, 8, 70, Tr("Scripts", "新建(&N)"), [this](TObject*) { NewScript(); });
  OpenButton = BarButton(bar, 82, 80, Tr("Scripts", "打开(&O)…"), [this](TObject*) { ChooseAndOpen(); });
  SaveButton = BarButton(bar, 166, 70, Tr("Scripts", "保存(&S)"), [this](TObject*) { Save(); });
  SaveAsButton = BarButton(bar, 240, 90, Tr("Scripts", "另存为(&A)…"), [this](TObject*) { SaveAs(); });
  RunButton = BarButton(bar, 346, 70, Tr("Scripts", "运行(&R)"), [this](TObject*) { Run(); });
  RunButton->Hint = Tr("Scripts", "运行编辑器里的脚本（F5）");
  RunButton->ShowHint = true;
  StopButton = BarButton(bar, 420, 70, Tr("Scripts", "停止(&T)"), [this](TObject*) { host_.Stop(); });
  StopButton->Hint = Tr("Scripts", "停止运行中的脚本（Shift+F5）");
  StopButton->ShowHint = true;
  StopButton->Enabled = false;
  auto* recentLabel = Place<TLabel>(bar, 504, 14, 60, 20);
  recentLabel->Caption = Tr("Scripts", "最近(&L)：");
  RecentBox = Place<TComboBox>(bar, 566, 10, kWidth - 574, 26);
  RecentBox->Style = csDropDownList;
  RecentBox->AccessibleName = Tr("Scripts", "最近的脚本");
  recentLabel->FocusControl = RecentBox;
  RecentBox->OnChange = [this](TObject*) {
    if (filling_) return;
    const int chosen = RecentBox->ItemIndex;
    const auto& names = host_.Recent.Names();
    if (chosen >= 0 && chosen < static_cast<int>(names.size())) OpenFile(names[static_cast<size_t>(chosen)]);
    ShowRecent();
  };
}

void ScriptWindow::MakeKeys() {
  // Items of the editor's menu: their keys work anywhere in the window.
  AddMenuItems(
      Form, Editor,
      {NewItem(Form, Tr("Scripts", "新建"), static_cast<TShortCut>(scCtrl | 'N'), [this](TObject*) { NewScript(); }),
       NewItem(Form, Tr("Scripts", "打开…"), static_cast<TShortCut>(scCtrl | 'O'),
               [this](TObject*) { ChooseAndOpen(); }),
       NewItem(Form, Tr("Scripts", "保存"), static_cast<TShortCut>(scCtrl | 'S'), [this](TObject*) { Save(); }),
       NewItem(Form, Tr("Scripts", "运行"), kF5, [this](TObject*) { Run(); }),
       NewItem(Form, Tr("Scripts", "停止"), static_cast<TShortCut>(scShift | kF5),
               [this](TObject*) { host_.Stop(); })});
}

void ScriptWindow::Show() {
  // The last script comes back the first time the window opens.
  if (fileName_.IsEmpty() && !modified_ && !host_.Recent.Names().empty()) OpenFile(host_.Recent.Names().front());
  ShowRecent();
  Form->Show();
  Editor->SetFocus();
}

bool ScriptWindow::ChangesDealtWith() {
  if (!modified_) return true;
  const String name = fileName_.IsEmpty() ? Tr("Scripts", "未命名的脚本") : fileName_;
  const int answer = Application->MessageBox(Fill(Tr("Scripts", "保存对 %1 的修改吗？"), {name}), Tr("Scripts", "脚本"),
                                             MB_YESNOCANCEL | MB_ICONQUESTION);
  if (answer == IDYES) return Save();
  return answer == IDNO;
}

void ScriptWindow::NewScript() {
  if (!ChangesDealtWith()) return;
  filling_ = true;
  Editor->Clear();
  filling_ = false;
  fileName_ = String();
  modified_ = false;
  ShowCaption();
}

void ScriptWindow::ChooseAndOpen() {
  TOpenDialog dialog(nullptr);
  dialog.Title = Tr("Scripts", "打开脚本");
  dialog.Filter = Tr("Scripts", "Lua 脚本 (*.lua)|*.lua|所有文件 (*)|*");
  if (dialog.Execute()) OpenFile(dialog.FileName);
}

bool ScriptWindow::OpenFile(const String& FileName) {
  if (!ChangesDealtWith()) return false;
  std::string text;
  const DWORD error = ReadScriptFile(FileName.Utf8(), text);
  String why;
  if (error == ERROR_FILE_TOO_LARGE)
    why = Tr("Scripts", "文件太大，不像是脚本（最多 4 MB）");
  else if (error != ERROR_SUCCESS)
    why = FileErrorText(error);
  else if (FirstNonUtf8(text) != std::string::npos)
    why = Tr("Scripts", "脚本须为 UTF-8 文本");
  if (!why.IsEmpty()) {
    ShowMessage(Fill(Tr("Scripts", "不能打开脚本 %1\n%2"), {FileName, why}));
    if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) host_.Recent.Remove(FileName);
    ShowRecent();
    return false;
  }
  filling_ = true;
  Editor->Text = String(text);
  filling_ = false;
  fileName_ = FileName;
  modified_ = false;
  host_.Recent.Add(FileName);
  if (host_.ChoicesChanged) host_.ChoicesChanged();
  ShowRecent();
  ShowCaption();
  return true;
}

bool ScriptWindow::Save() {
  if (fileName_.IsEmpty()) return SaveAs();
  const DWORD error = SaveWholeFile(fileName_, EditorText());
  if (error != ERROR_SUCCESS) {
    TellCannotSave(fileName_, error);
    return false;
  }
  modified_ = false;
  host_.Recent.Add(fileName_);
  if (host_.ChoicesChanged) host_.ChoicesChanged();
  ShowRecent();
  ShowCaption();
  return true;
}

bool ScriptWindow::SaveAs() {
  TSaveDialog dialog(nullptr);
  dialog.Title = Tr("Scripts", "保存脚本");
  dialog.Filter = Tr("Scripts", "Lua 脚本 (*.lua)|*.lua|所有文件 (*)|*");
  dialog.FileName = fileName_;
  if (!dialog.Execute()) return false;
  fileName_ = dialog.FileName;
  return Save();
}

void ScriptWindow::Run() {
  if (host_.Running()) return;
  String why;
  if (!host_.Start(ScriptOf(EditorText(), fileName_.Utf8()), false, why)) ShowMessage(why);
}

void ScriptWindow::RunStarted(const std::string& Name) {
  OutputPane->Clear();
  outputShown_ = 0;
  RunButton->Enabled = false;
  StopButton->Enabled = true;
  SetStatus(Fill(Tr("Scripts", "正在运行 %1…"), {String(Name)}));
}

void ScriptWindow::ShowOutput(const std::string& Text) {
  if (outputShown_ + Text.size() > kLargestOutput) {
    OutputPane->Text = Tr("Scripts", "（之前的输出太多，已清除）") + "\n";
    outputShown_ = 0;
  }
  outputShown_ += Text.size();
  OutputPane->Append(String(Text));
}

void ScriptWindow::RunEnded(const ScriptRun& Run) {
  RunButton->Enabled = true;
  StopButton->Enabled = false;
  const String status = IntToStr(Run.Status());
  switch (Run.HowEnded()) {
    case ScriptRun::Outcome::Finished:
    case ScriptRun::Outcome::Exited:
      SetStatus(Fill(Tr("Scripts", "脚本已结束，状态 %1"), {status}));
      break;
    case ScriptRun::Outcome::Stopped:
      SetStatus(Tr("Scripts", "脚本已停止"));
      break;
    default:
      SetStatus(Fill(Tr("Scripts", "脚本出错，状态 %1"), {status}));
      break;
  }
  if (Run.ErrorLine() > 0) GoToLine(Run.ErrorLine());
}

void ScriptWindow::ShowRecent() {
  filling_ = true;
  RecentBox->Items->Clear();
  for (const String& name : host_.Recent.Names()) RecentBox->Items->Add(name);
  RecentBox->ItemIndex = -1;
  RecentBox->Enabled = !host_.Recent.Names().empty();
  filling_ = false;
}

void ScriptWindow::ShowCaption() {
  const String name = fileName_.IsEmpty() ? Tr("Scripts", "未命名") : String(ScriptOf("", fileName_.Utf8()).Name);
  Form->Caption = Fill(Tr("Scripts", "脚本 - %1%2"), {name, String(modified_ ? " *" : "")});
}

void ScriptWindow::SetStatus(const String& Text) { Status->Panels->Items[0]->Text = Text; }

void ScriptWindow::GoToLine(int Line) {
  // SelStart counts characters, each line break as two.
  const std::string text = Editor->Text.Get().Utf8();
  int characters = 0;
  int line = 1;
  for (size_t i = 0; i < text.size() && line < Line; ++i) {
    const auto byte = static_cast<unsigned char>(text[i]);
    if ((byte & 0xC0) != 0x80) ++characters;
    if (byte == '\n') ++line;
  }
  Editor->SelStart = characters;
  Editor->SetFocus();
}

std::string ScriptWindow::EditorText() const { return ScriptOf(Editor->Text.Get().Utf8(), "").Text; }
