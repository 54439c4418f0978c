#include "PanelWholeSession.h"

#include <algorithm>

#include "DevicePanel.h"
#include "MenuItems.h"
#include "ReceiveArea.h"

namespace {

constexpr unsigned long long kMiB = 1024 * 1024;

// A byte count as the tool tip says it: bytes, KiB or MiB.
String SizeText(unsigned long long Bytes) {
  if (Bytes < 1024) return Fill(Tr("WholeSession", "%1 字节"), {IntToStr(static_cast<int>(Bytes))});
  if (Bytes < kMiB) return String().sprintf("%.1f KiB", static_cast<double>(Bytes) / 1024);
  return String().sprintf("%.1f MiB", static_cast<double>(Bytes) / kMiB);
}

ULONGLONG PhysicalMemory() {
  MEMORYSTATUSEX status{};
  status.dwLength = sizeof status;
  return GlobalMemoryStatusEx(&status) ? status.ullTotalPhys : 0;
}

}  // namespace

int PanelWholeSession::MachineLimitMiB() {
  const ULONGLONG quarter = PhysicalMemory() / 4 / kMiB;
  return static_cast<int>(std::clamp<ULONGLONG>(quarter, kDefaultLimitMiB, kMaxLimitMiB));
}

PanelWholeSession::PanelWholeSession(DevicePanel& Panel)
    : PanelFeature(Panel),
      Item(NewCheckItem(Panel.Owner, Tr("WholeSession", "保留全部接收内容"), 0, [this](TObject*) { Set(!_bOn); })),
      LimitItem(NewItem(Panel.Owner, Tr("WholeSession", "保留上限…"), 0, [this](TObject*) { AskLimit(); })) {
  AddMenuItems(Panel.Owner, Panel.Memo, {Item, LimitItem});
  ShowState();
}

void PanelWholeSession::Set(bool On) {
  _bOn = On;
  Apply();
  Panel.ChoicesChanged();
  Panel.StateChanged();
}

bool PanelWholeSession::SetLimitMiB(int MiB) {
  if (MiB < 1 || MiB > MachineLimitMiB()) return false;
  _iLimitMiB = MiB;
  Apply();
  Panel.ChoicesChanged();
  Panel.StateChanged();
  return true;
}

void PanelWholeSession::AskLimit() {
  String value = IntToStr(_iLimitMiB);
  const String most = IntToStr(MachineLimitMiB());
  const String memory = String().sprintf("%.1f", static_cast<double>(PhysicalMemory()) / (1024.0 * kMiB));
  if (!InputQuery(Tr("WholeSession", "保留上限"),
                  Fill(Tr("WholeSession", "每个接收区最多保留（MiB，1–%1；本机内存 %2 GiB）："), {most, memory}),
                  value))
    return;
  if (!SetLimitMiB(value.Trim().ToIntDef(0)))
    ShowMessage(Fill(Tr("WholeSession", "“%1”不是 1 到 %3 之间的整数，保留上限仍为 %2 MiB。"),
                     {value, IntToStr(_iLimitMiB), most}));
}

void PanelWholeSession::Apply() {
  // Only this choice sets a limit: a log view shown for other reasons is
  // kept small by the 4 KB rule.
  Panel.Receive->SetLogLimit(_bOn ? static_cast<unsigned long long>(_iLimitMiB) * kMiB : 0ULL);
  Panel.Receive->NeedLog(ReceiveArea::kLogKeepsAll, _bOn);
  ShowState();
}

TLogView* PanelWholeSession::View() const { return Panel.Receive->Log(); }

void PanelWholeSession::Tick() { Panel.Receive->MatchMemoLooks(); }

void PanelWholeSession::ShowState() {
  Item->Checked = _bOn;
  LimitItem->Caption = Fill(Tr("WholeSession", "保留上限（%1 MiB）…"), {IntToStr(_iLimitMiB)});
}

String PanelWholeSession::Hint() const {
  if (!_bOn) return String();
  TLogView* log = View();
  return Fill(Tr("WholeSession", "接收区保留 %1，已舍弃 %2（上限 %3 MiB）"),
              {SizeText(log->KeptBytes()), SizeText(log->DroppedBytes()), IntToStr(_iLimitMiB)});
}

void PanelWholeSession::LoadChoices(TIniFile& Ini, const String& Section) {
  const int limit = Ini.ReadInteger(Section, "KeepLimitMiB", _iLimitMiB);
  // A limit out of range in the file (or more than this machine allows)
  // leaves the one in use.
  if (limit >= 1 && limit <= MachineLimitMiB()) _iLimitMiB = limit;
  _bOn = Ini.ReadBool(Section, "KeepWholeSession", _bOn);
  Apply();
}

void PanelWholeSession::SaveChoices(TIniFile& Ini, const String& Section) const {
  Ini.WriteBool(Section, "KeepWholeSession", _bOn);
  Ini.WriteInteger(Section, "KeepLimitMiB", _iLimitMiB);
}
