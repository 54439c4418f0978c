#include "PanelModemLines.h"

#include "DevicePanel.h"
#include "MenuItems.h"

namespace {

// How long a reset pulse holds DTR and RTS low.
constexpr unsigned kResetPulseMs = 100;

}  // namespace

PanelModemLines::PanelModemLines(DevicePanel& Panel)
    : PanelFeature(Panel),
      DtrItem(NewCheckItem(Panel.Owner, "DTR", 0, [this](TObject*) { SetDtr(!_Choice.Dtr); })),
      RtsItem(NewCheckItem(Panel.Owner, "RTS", 0, [this](TObject*) { SetRts(!_Choice.Rts); })),
      ResetPulseItem(NewItem(Panel.Owner, Tr("ModemLines", "复位脉冲（DTR 和 RTS 低 100 ms）"), 0,
                             [this](TObject*) { ResetPulse(); })),
      _PulseTimer(new TTimer(Panel.Owner)) {
  AddMenuItems(Panel.Owner, Panel.Group, {DtrItem, RtsItem, ResetPulseItem});
  // A one-shot timer: the lines come back on it, so the window keeps
  // running meanwhile.
  _PulseTimer->Enabled = false;
  _PulseTimer->Interval = kResetPulseMs;
  _PulseTimer->OnTimer = [this](TObject*) { EndResetPulse(); };
  ShowState();
}

void PanelModemLines::PortOpened() {
  if (!Panel.PortOpen()) return;
  _Choice.Pulsing = false;
  ApplyModemLineChoice(*Panel.Channel, _Choice);
}

void PanelModemLines::SetDtr(bool On) {
  _Choice.Dtr = On;
  const HANDLE hComm = Panel.Channel->_hComm;
  // A pulse running puts the choice back when it ends.
  if (hComm != INVALID_HANDLE_VALUE && !_Choice.Pulsing) EscapeCommFunction(hComm, On ? SETDTR : CLRDTR);
  Panel.StateChanged();
  Panel.ChoicesChanged();
}

void PanelModemLines::SetRts(bool On) {
  _Choice.Rts = On;
  const HANDLE hComm = Panel.Channel->_hComm;
  if (hComm != INVALID_HANDLE_VALUE && !_Choice.Pulsing && !_Choice.RtsByFlow)
    EscapeCommFunction(hComm, On ? SETRTS : CLRRTS);
  Panel.StateChanged();
  Panel.ChoicesChanged();
}

void PanelModemLines::SetRtsByFlow(bool ByFlow) {
  _Choice.RtsByFlow = ByFlow;
  ShowState();
}

void PanelModemLines::ResetPulse() {
  const HANDLE hComm = Panel.Channel->_hComm;
  if (hComm == INVALID_HANDLE_VALUE || _Choice.Pulsing || _Choice.RtsByFlow) return;
  _Choice.Pulsing = true;
  EscapeCommFunction(hComm, CLRDTR);
  EscapeCommFunction(hComm, CLRRTS);
  _PulseTimer->Enabled = true;
  Panel.StateChanged();
}

void PanelModemLines::EndResetPulse() {
  _PulseTimer->Enabled = false;
  if (!_Choice.Pulsing) return;
  _Choice.Pulsing = false;
  const HANDLE hComm = Panel.Channel->_hComm;
  if (hComm != INVALID_HANDLE_VALUE) {
    EscapeCommFunction(hComm, _Choice.Dtr ? SETDTR : CLRDTR);
    EscapeCommFunction(hComm, _Choice.Rts ? SETRTS : CLRRTS);
  }
  Panel.StateChanged();
}

void PanelModemLines::ShowState() {
  DtrItem->Checked = _Choice.Dtr;
  RtsItem->Checked = _Choice.Rts && !_Choice.RtsByFlow;
  // Flow control drives RTS: neither the choice nor a pulse may take it.
  RtsItem->Enabled = !_Choice.RtsByFlow;
  RtsItem->Caption = _Choice.RtsByFlow ? Tr("ModemLines", "RTS（由硬件流控 RTS/CTS 驱动）") : String("RTS");
  ResetPulseItem->Enabled = Panel.PortOpen() && !_Choice.Pulsing && !_Choice.RtsByFlow;
}

String PanelModemLines::Hint() const { return ModemLinesText(Panel.Channel->_hComm, _Choice); }

void PanelModemLines::LoadChoices(TIniFile& Ini, const String& Section) {
  _Choice.Dtr = Ini.ReadBool(Section, "DTR", _Choice.Dtr);
  _Choice.Rts = Ini.ReadBool(Section, "RTS", _Choice.Rts);
  ShowState();
}

void PanelModemLines::SaveChoices(TIniFile& Ini, const String& Section) const {
  Ini.WriteBool(Section, "DTR", _Choice.Dtr);
  Ini.WriteBool(Section, "RTS", _Choice.Rts);
}
