#include "PanelLineControl.h"

#include <string>
#include <vector>

#include "DevicePanel.h"
#include "MenuItems.h"
#include "PanelPorts.h"

namespace {

const char* const kFlowCaptions[kFlowControlCount] = {TR_MARK("LineControl", "无流控"),
                                                      TR_MARK("LineControl", "硬件流控 RTS/CTS"),
                                                      TR_MARK("LineControl", "软件流控 XON/XOFF")};

}  // namespace

PanelLineControl::PanelLineControl(DevicePanel& Panel)
    : PanelFeature(Panel),
      BreakItem(NewItem(Panel.Owner, Tr("LineControl", "发送中断（250 毫秒）"), 0,
                        [this](TObject*) { SendBreak(kDefaultBreakMs); })),
      CustomBreakItem(NewItem(Panel.Owner, "", 0, [this](TObject*) { AskBreak(); })),
      CharGapItem(NewItem(Panel.Owner, "", 0, [this](TObject*) { AskCharGap(); })),
      LineGapItem(NewItem(Panel.Owner, "", 0, [this](TObject*) { AskLineGap(); })),
      _ModemLines(*Panel.Find<PanelModemLines>()),
      _BreakTimer(new TTimer(Panel.Owner)) {
  TMenuItem* flow = NewItem(Panel.Owner, Tr("LineControl", "流控"), 0, nullptr);
  for (int n = 0; n < kFlowControlCount; ++n)
    FlowItems[n] = NewRadioItem(Panel.Owner, flow, TrText("LineControl", kFlowCaptions[n]),
                                [this, n](TObject*) { SetFlowControl(static_cast<FlowControl>(n)); });
  AddMenuItems(Panel.Owner, Panel.Group, {BreakItem, CustomBreakItem, flow, CharGapItem, LineGapItem});
  // A one-shot timer ends the break, so the window keeps running meanwhile.
  _BreakTimer->Enabled = false;
  _BreakTimer->OnTimer = [this](TObject*) { EndBreak(); };
  ShowState();
}

void PanelLineControl::Shape(SendStep Step, PanelSend& Send) {
  if (Step == SendStep::Pace) Send.Pace = {static_cast<DWORD>(_nCharGapMs), static_cast<DWORD>(_nLineGapMs)};
}

void PanelLineControl::SendBreak(int Ms) {
  if (!Panel.PortOpen() || BreakOn() || Ms < 1 || Ms > kMaxBreakMs) return;
  const HANDLE hComm = Panel.Channel->_hComm;
  if (!EscapeCommFunction(hComm, SETBREAK)) {
    ShowMessage(Tr("LineControl", "端口不能发送中断。"));
    return;
  }
  _hBreakComm = hComm;
  _nBreakOnMs = Ms;
  _BreakTimer->Interval = static_cast<unsigned>(Ms);
  _BreakTimer->Enabled = true;
  Panel.StateChanged();
  // Said in the counter panel at once, not at its next refresh.
  Panel.ShowCounter(PanelPort[Panel.Index]);
  for (const std::unique_ptr<PanelFeature>& feature : Panel.Features()) feature->BreakSent(Ms);
}

String PanelLineControl::Progress() const {
  if (!BreakOn()) return String();
  return Fill(Tr("LineControl", " 正在发送中断（%1 毫秒）"), {IntToStr(_nBreakOnMs)});
}

void PanelLineControl::AskBreak() {
  int ms = _nBreakMs;
  if (!AskMilliseconds(Tr("LineControl", "发送中断"), Tr("LineControl", "中断长度（毫秒，1 至 10000）："), 1,
                       kMaxBreakMs, ms))
    return;
  _nBreakMs = ms;
  Panel.ChoicesChanged();
  SendBreak(ms);
}

void PanelLineControl::EndBreak() {
  _BreakTimer->Enabled = false;
  if (!BreakOn()) return;
  // Only on the port the break was started on: a port closed meanwhile
  // ended it with its close.
  if (_hBreakComm == Panel.Channel->_hComm) EscapeCommFunction(_hBreakComm, CLRBREAK);
  _hBreakComm = INVALID_HANDLE_VALUE;
  Panel.StateChanged();
  Panel.ShowCounter(PanelPort[Panel.Index]);
}

void PanelLineControl::SetFlowControl(FlowControl Flow) {
  const FlowControl previous = _Flow;
  _ModemLines.SetRtsByFlow(Flow == FlowControl::RtsCts);
  if (Panel.PortOpen() && !ApplyFlowControl(*Panel.Channel, Flow, _ModemLines.Choice())) {
    _ModemLines.SetRtsByFlow(previous == FlowControl::RtsCts);
    ShowState();
    ShowMessage(Tr("LineControl", "端口不接受这种流控。"));
    return;
  }
  _Flow = Flow;
  ShowState();
  Panel.StateChanged();
  Panel.ChoicesChanged();
}

void PanelLineControl::SetCharGap(int Ms) {
  if (Ms < 0 || Ms > kMaxCharGapMs) return;
  _nCharGapMs = Ms;
  ShowState();
  Panel.ChoicesChanged();
}

void PanelLineControl::SetLineGap(int Ms) {
  if (Ms < 0 || Ms > kMaxLineGapMs) return;
  _nLineGapMs = Ms;
  ShowState();
  Panel.ChoicesChanged();
}

void PanelLineControl::AskCharGap() {
  int ms = _nCharGapMs;
  if (AskMilliseconds(Tr("LineControl", "字符间隔"), Tr("LineControl", "每个字符之后暂停（毫秒，0 至 1000）："), 0,
                      kMaxCharGapMs, ms))
    SetCharGap(ms);
}

void PanelLineControl::AskLineGap() {
  int ms = _nLineGapMs;
  if (AskMilliseconds(Tr("LineControl", "行间隔"), Tr("LineControl", "每个行尾之后暂停（毫秒，0 至 10000）："), 0,
                      kMaxLineGapMs, ms))
    SetLineGap(ms);
}

bool PanelLineControl::AskMilliseconds(const String& Caption, const String& Prompt, int Min, int Max, int& Ms) {
  String typed = IntToStr(Ms);
  if (!InputQuery(Caption, Prompt, typed)) return false;
  const String trimmed = typed.Trim();
  const int value = trimmed.Length() <= 5 ? trimmed.ToIntDef(-1) : -1;
  if (value < Min || value > Max) {
    ShowMessage(Fill(Tr("LineControl", "无效的毫秒数：%1"), {typed}));
    return false;
  }
  Ms = value;
  return true;
}

void PanelLineControl::PortClosing(PortCloseReason) { EndBreak(); }

void PanelLineControl::PortOpened() {
  if (!Panel.PortOpen()) return;
  // The port opens with no flow control: a refusal leaves it so, and the
  // message says it when the user chooses.
  if (_Flow != FlowControl::None) ApplyFlowControl(*Panel.Channel, _Flow, _ModemLines.Choice());
}

void PanelLineControl::Tick() {
  // A port closed by any way ends a break on it.
  if (!Panel.PortOpen() && BreakOn()) EndBreak();
}

void PanelLineControl::ShowState() {
  const bool open = Panel.PortOpen();
  BreakItem->Enabled = open && !BreakOn();
  CustomBreakItem->Enabled = open && !BreakOn();
  // Until another length is chosen the item would read as the fixed one.
  CustomBreakItem->Caption = _nBreakMs == kDefaultBreakMs
                                 ? Tr("LineControl", "发送其他长度的中断…")
                                 : Fill(Tr("LineControl", "发送中断（%1 毫秒）…"), {IntToStr(_nBreakMs)});
  FlowItems[static_cast<int>(_Flow)]->Checked = true;
  CharGapItem->Caption = Fill(Tr("LineControl", "字符间隔（%1 毫秒）…"), {IntToStr(_nCharGapMs)});
  LineGapItem->Caption = Fill(Tr("LineControl", "行间隔（%1 毫秒）…"), {IntToStr(_nLineGapMs)});
}

String PanelLineControl::Hint() const {
  std::vector<String> parts;
  if (_Flow != FlowControl::None) parts.push_back(TrText("LineControl", kFlowCaptions[static_cast<int>(_Flow)]));
  if (_nCharGapMs > 0 || _nLineGapMs > 0)
    parts.push_back(
        Fill(Tr("LineControl", "字符间隔 %1 毫秒，行间隔 %2 毫秒"), {IntToStr(_nCharGapMs), IntToStr(_nLineGapMs)}));
  if (BreakOn()) parts.push_back(Tr("LineControl", "正在发送中断"));
  String hint;
  for (const String& part : parts) hint = hint.IsEmpty() ? part : Fill(Tr("LineControl", "%1；%2"), {hint, part});
  return hint;
}

void PanelLineControl::LoadChoices(TIniFile& Ini, const String& Section) {
  const String flow = Ini.ReadString(Section, "FlowControl", "none");
  for (int n = 0; n < kFlowControlCount; ++n)
    if (flow == FlowControlKey(static_cast<FlowControl>(n))) _Flow = static_cast<FlowControl>(n);
  const int charGap = Ini.ReadInteger(Section, "CharGapMs", 0);
  if (charGap >= 0 && charGap <= kMaxCharGapMs) _nCharGapMs = charGap;
  const int lineGap = Ini.ReadInteger(Section, "LineGapMs", 0);
  if (lineGap >= 0 && lineGap <= kMaxLineGapMs) _nLineGapMs = lineGap;
  const int breakMs = Ini.ReadInteger(Section, "BreakMs", kDefaultBreakMs);
  if (breakMs >= 1 && breakMs <= kMaxBreakMs) _nBreakMs = breakMs;
  _ModemLines.SetRtsByFlow(_Flow == FlowControl::RtsCts);
  ShowState();
}

void PanelLineControl::SaveChoices(TIniFile& Ini, const String& Section) const {
  Ini.WriteString(Section, "FlowControl", FlowControlKey(_Flow));
  Ini.WriteInteger(Section, "CharGapMs", _nCharGapMs);
  Ini.WriteInteger(Section, "LineGapMs", _nLineGapMs);
  Ini.WriteInteger(Section, "BreakMs", _nBreakMs);
}
