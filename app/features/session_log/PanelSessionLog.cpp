#include "PanelSessionLog.h"

#include <shlobj.h>

#include "BlockReads.h"
#include "DevicePanel.h"
#include "MenuItems.h"
#include "PanelPorts.h"
#include "ReceiveArea.h"
#include "SavedFiles.h"
#include "TimeStamps.h"

namespace {

// Ticks between looks at the clock's day and at the file in use: a second.
constexpr int kCheckTicks = 10;

bool SameFiles(const SessionLogChoices& A, const SessionLogChoices& B) {
  return A.FolderInUse() == B.FolderInUse() && A.Pattern == B.Pattern && A.SizeMiB == B.SizeMiB &&
         A.Midnight == B.Midnight;
}

}  // namespace

PanelSessionLog::PanelSessionLog(DevicePanel& Panel)
    : PanelFeature(Panel),
      Item(NewCheckItem(Panel.Owner, Tr("SessionLog", "会话日志…"), 0,
                        [this](TObject*) { Window().Show(_Choices, Logging()); })),
      FolderItem(NewItem(Panel.Owner, Tr("SessionLog", "打开会话日志文件夹"), 0, [this](TObject*) { OpenFolder(); })) {
  AddMenuItems(Panel.Owner, Panel.Memo, {Item, FolderItem});
  // Every piece of text the area shows, as it is added.
  Panel.Receive->OnText = [this](std::u16string_view Text) { Log(Text); };
  ShowState();
}

// The receive area outlives its panel's features.
PanelSessionLog::~PanelSessionLog() { Panel.Receive->OnText = nullptr; }

SessionLogWindow& PanelSessionLog::Window() {
  if (!_Window)
    _Window = std::make_unique<SessionLogWindow>(
        [this](const SessionLogChoices& Choices, bool Log) { return Apply(Choices, Log); }, [this] { OpenFolder(); });
  return *_Window;
}

String PanelSessionLog::PortName() const {
  const int port = PanelPort[Panel.Index];
  return port >= 0 ? String("COM") + IntToStr(port) : String("COM");
}

bool PanelSessionLog::Apply(const SessionLogChoices& Choices, bool Log) {
  const bool sameFiles = SameFiles(Choices, _Choices);
  _Choices = Choices;
  Panel.ChoicesChanged();
  if (!Log) {
    Stop();
    return true;
  }
  if (Logging() && sameFiles) {
    Panel.StateChanged();
    return true;
  }
  return Start();
}

bool PanelSessionLog::Start() {
  SYSTEMTIME now;
  GetLocalTime(&now);
  // What shows next starts a line of the file.
  _Text.StartLine();
  const DWORD error = _File.Start(_Choices, PortName(), now);
  Panel.StateChanged();
  if (error == ERROR_SUCCESS) return true;
  TellCannotSave(_File.FileName(), error);
  return false;
}

void PanelSessionLog::Stop() {
  _File.Stop();
  Panel.StateChanged();
}

void PanelSessionLog::OpenFolder() {
  const String folder = _Choices.FolderInUse();
  const int made = SHCreateDirectoryExA(nullptr, folder.c_str(), nullptr);
  if (made != ERROR_SUCCESS && made != ERROR_ALREADY_EXISTS) {
    TellCannotSave(folder, static_cast<DWORD>(made));
    return;
  }
  const auto opened =
      reinterpret_cast<intptr_t>(ShellExecuteA(nullptr, "open", folder.c_str(), nullptr, nullptr, SW_SHOWNORMAL));
  if (opened <= 32) ShowMessage(Fill(Tr("SessionLog", "不能打开文件夹 %1：桌面没有打开文件夹的程序。"), {folder}));
}

void PanelSessionLog::Log(std::u16string_view Text) {
  if (!Logging()) return;
  SYSTEMTIME now;
  GetLocalTime(&now);
  // Stamped here only when the view does not stamp it already: with the
  // arrival of the block's first byte, or now for a send or the clock.
  std::string stamp;
  if (_Choices.AlwaysStamp && !Panel.TimeStamps) stamp = TimeStampText(_bArrival ? &_Arrival : nullptr);
  _bArrival = false;
  _File.Add(_Text.Take(Text, stamp), now);
}

void PanelSessionLog::Received(const ReceivedBlock& Block) {
  const FILETIME* arrival = FirstArrival(Block);
  _bArrival = arrival != nullptr;
  if (arrival) _Arrival = *arrival;
}

void PanelSessionLog::PortOpened() {
  if (!Logging()) {
    if (_Choices.AutoStart) Start();
  } else if (_File.Port() != PortName()) {
    Start();
  }
}

void PanelSessionLog::Tick() {
  if (Logging() && ++_iTicks >= kCheckTicks) {
    _iTicks = 0;
    SYSTEMTIME now;
    GetLocalTime(&now);
    _File.Check(now);
  }
  if (_File.NewFileStarted()) Panel.StateChanged();
  const String failure = _File.TakeFailure();
  if (failure.IsEmpty()) return;
  Panel.StateChanged();
  ShowMessage(failure);
}

void PanelSessionLog::ShowState() { Item->Checked = Logging(); }

String PanelSessionLog::Hint() const {
  if (!Logging()) return String();
  return Fill(Tr("SessionLog", "会话日志：%1（%2 字节）"),
              {_File.FileName(), String().sprintf("%llu", static_cast<unsigned long long>(_File.Bytes()))});
}

void PanelSessionLog::LoadChoices(TIniFile& Ini, const String& Section) { _Choices.Load(Ini, Section); }

void PanelSessionLog::SaveChoices(TIniFile& Ini, const String& Section) const { _Choices.Save(Ini, Section); }
