#include "PanelQuickSends.h"

#include <algorithm>

#include "ChecksumNames.h"
#include "DevicePanel.h"
#include "FileErrorText.h"
#include "MenuItems.h"
#include "QuickSendFile.h"
#include "QuickSendText.h"
#include "QuickSendWindow.h"
#include "SavedFiles.h"
#include "SmallFiles.h"

namespace {

// An imported file is a list of short lines: anything larger is not one.
constexpr DWORD kLargestImport = 1024 * 1024;

String QuickSendsSection(const String& Section) { return Section + ".QuickSends"; }

}  // namespace

PanelQuickSends::PanelQuickSends(DevicePanel& Panel)
    : PanelFeature(Panel),
      QuickSendItem(NewItem(Panel.Owner, Tr("QuickSends", "快捷发送…"), 0, [this](TObject*) { ShowWindow(); })) {
  CreateMenus();
  TKeyEvent before = Panel.Edit->OnKeyDown;
  Panel.Edit->OnKeyDown = [this, before](TObject* Sender, unsigned short& Key, TShiftState Shift) {
    SendLineKeyDown(before, Sender, Key, Shift);
  };
  ShowState();
}

PanelQuickSends::~PanelQuickSends() = default;

void PanelQuickSends::CreateMenus() {
  TComponent* owner = Panel.Owner;
  TMenuItem* checksums = NewItem(owner, Tr("QuickSends", "校验"), 0, nullptr);
  for (int n = 0; n < kChecksumCount; ++n) {
    const auto kind = static_cast<Checksum>(n);
    ChecksumItems[n] =
        NewRadioItem(owner, checksums, ChecksumShownName(kind), [this, kind](TObject*) { SetTypedChecksum(kind); });
  }
  AddMenuItems(owner, Panel.Edit, {QuickSendItem, checksums});
}

void PanelQuickSends::SetTypedChecksum(Checksum Kind) {
  _Typed = Kind;
  ShowState();
  Panel.ChoicesChanged();
}

bool PanelQuickSends::Add(const QuickSend& Send, std::string& Error) {
  if (_Sends.size() >= kMaxQuickSends) {
    Error = Fill(Tr("QuickSends", "最多 %1 条快捷发送"), {IntToStr(kMaxQuickSends)}).Utf8();
    return false;
  }
  if (!CheckQuickSend(Send, Error)) return false;
  _Sends.push_back(Send);
  _Keys.push_back(_nNextKey++);
  ListChanged();
  return true;
}

bool PanelQuickSends::Replace(size_t Index, const QuickSend& Send, std::string& Error) {
  if (Index >= _Sends.size()) {
    Error = Tr("QuickSends", "这条快捷发送已不在列表中").Utf8();
    return false;
  }
  if (!CheckQuickSend(Send, Error)) return false;
  // A changed message no longer runs on the old one's period.
  _Schedule.Stop(_Keys[Index]);
  _Sends[Index] = Send;
  ListChanged();
  return true;
}

void PanelQuickSends::Remove(size_t Index) {
  if (Index >= _Sends.size()) return;
  _Schedule.Stop(_Keys[Index]);
  _Sends.erase(_Sends.begin() + static_cast<std::ptrdiff_t>(Index));
  _Keys.erase(_Keys.begin() + static_cast<std::ptrdiff_t>(Index));
  ListChanged();
}

void PanelQuickSends::SendNow(size_t Index) {
  if (Index >= _Sends.size() || !Panel.PortOpen()) return;
  std::string bytes, error;
  // Every quick send in the list was checked when it came in.
  if (QuickSendBytes(_Sends[Index], bytes, error)) Panel.SendBytes(bytes);
}

bool PanelQuickSends::SetPeriodic(size_t Index, bool On) {
  if (Index >= _Sends.size()) return false;
  const unsigned key = _Keys[Index];
  if (!On) {
    _Schedule.Stop(key);
    Refresh();
    return true;
  }
  const bool started = _Sends[Index].PeriodMs > 0 && Panel.PortOpen();
  if (started) {
    _Schedule.Start(key, _Sends[Index].PeriodMs / 100);
    SendNow(Index);
  }
  Refresh();
  return started;
}

bool PanelQuickSends::Periodic(size_t Index) const { return Index < _Keys.size() && _Schedule.Running(_Keys[Index]); }

void PanelQuickSends::StopPeriodic() {
  if (_Schedule.Empty()) return;
  _Schedule.StopAll();
  Refresh();
}

void PanelQuickSends::Tick() {
  if (_Schedule.Empty()) return;
  // A port that closed (by the user, the exit or a lost device) ends them.
  if (!Panel.PortOpen()) {
    StopPeriodic();
    return;
  }
  for (unsigned key : _Schedule.Tick(_Keys)) {
    const auto found = std::find(_Keys.begin(), _Keys.end(), key);
    if (found != _Keys.end()) SendNow(static_cast<size_t>(found - _Keys.begin()));
  }
}

bool PanelQuickSends::Import(const String& FileName, String& Report) {
  std::string text;
  const DWORD dwError = ReadSmallFile(FileName, text, kLargestImport);
  if (dwError != ERROR_SUCCESS) {
    const String cause = dwError == ERROR_FILE_TOO_LARGE ? Tr("QuickSends", "文件太大（快捷发送文件最多 1 MB）。")
                                                         : FileErrorText(dwError);
    Report = Fill(Tr("QuickSends", "不能导入 %1\n%2"), {FileName, cause});
    return false;
  }
  const QuickSendFileRead read = ReadQuickSendFile(text);
  size_t added = 0;
  std::vector<std::string> problems = read.Errors;
  for (const QuickSend& send : read.Sends) {
    if (_Sends.size() >= kMaxQuickSends) {
      problems.push_back(Fill(Tr("QuickSends", "列表已满（最多 %1 条），其后 %2 条未导入"),
                              {IntToStr(kMaxQuickSends), IntToStr(static_cast<int>(read.Sends.size() - added))})
                             .Utf8());
      break;
    }
    _Sends.push_back(send);
    _Keys.push_back(_nNextKey++);
    ++added;
  }
  if (added > 0) ListChanged();
  Report = Fill(Tr("QuickSends", "从 %1 导入 %2 条快捷发送。"), {FileName, IntToStr(static_cast<int>(added))});
  for (const std::string& problem : problems) Report += "\n" + String(problem.c_str());
  return added > 0;
}

bool PanelQuickSends::Export(const String& FileName, String& Error) {
  const std::string text = QuickSendFileText(_Sends);
  const DWORD dwError = SaveWholeFile(FileName, text);
  if (dwError == ERROR_SUCCESS) return true;
  Error = Fill(Tr("QuickSends", "不能导出到 %1\n%2"), {FileName, FileErrorText(dwError)});
  return false;
}

void PanelQuickSends::ShowWindow() {
  if (!_Window)
    _Window =
        std::make_unique<QuickSendWindow>(*this, Fill(Tr("QuickSends", "%1 快捷发送"), {Panel.Group->Caption.Get()}));
  _Window->Show();
}

void PanelQuickSends::SendLineKeyDown(TKeyEvent Before, TObject* Sender, unsigned short& Key, TShiftState Shift) {
  if (Shift == ssAlt && Key >= '1' && Key <= '9') {
    const size_t index = static_cast<size_t>(Key - '1');
    Key = 0;
    SendNow(index);
    return;
  }
  if (Before) Before(Sender, Key, Shift);
}

void PanelQuickSends::ListChanged() {
  Refresh();
  Panel.ChoicesChanged();
}

void PanelQuickSends::Refresh() {
  if (_Window) _Window->Refresh();
  Panel.StateChanged();
}

void PanelQuickSends::Shape(SendStep Step, PanelSend& Send) {
  // The checksum follows a typed message's own bytes (before a text's line
  // ending); hex text with no byte gets none.
  if (Step == SendStep::Check && Send.Typed && !Send.Bytes.empty()) Send.Bytes = WithChecksum(_Typed, Send.Bytes);
}

void PanelQuickSends::ShowState() { ChecksumItems[static_cast<int>(_Typed)]->Checked = true; }

String PanelQuickSends::Hint() const {
  size_t running = 0;
  for (unsigned key : _Keys)
    if (_Schedule.Running(key)) ++running;
  if (running == 0) return String();
  return Fill(Tr("QuickSends", "快捷发送：%1 条定时发送中"), {IntToStr(static_cast<int>(running))});
}

void PanelQuickSends::LoadChoices(TIniFile& Ini, const String& Section) {
  Checksum typed = Checksum::None;
  if (ChecksumFromKey(Ini.ReadString(Section, "Checksum", "none").Utf8(), typed)) _Typed = typed;
  const String section = QuickSendsSection(Section);
  const int count = std::clamp(Ini.ReadInteger(section, "Count", 0), 0, kMaxQuickSends);
  _Schedule.StopAll();
  _Sends.clear();
  _Keys.clear();
  for (int n = 1; n <= count; ++n) {
    QuickSend send;
    std::string error;
    // A line spoilt by hand is left out; the rest stay.
    if (ReadQuickSendLine(Ini.ReadString(section, IntToStr(n), "").Utf8(), send, error)) {
      _Sends.push_back(send);
      _Keys.push_back(_nNextKey++);
    }
  }
  ShowState();
  if (_Window) _Window->Refresh();
}

void PanelQuickSends::SaveChoices(TIniFile& Ini, const String& Section) const {
  Ini.WriteString(Section, "Checksum", ChecksumKey(_Typed));
  const String section = QuickSendsSection(Section);
  Ini.EraseSection(section);
  if (_Sends.empty()) return;
  Ini.WriteInteger(section, "Count", static_cast<int>(_Sends.size()));
  for (size_t n = 0; n < _Sends.size(); ++n)
    Ini.WriteString(section, IntToStr(static_cast<int>(n + 1)), QuickSendLine(_Sends[n]).c_str());
}
