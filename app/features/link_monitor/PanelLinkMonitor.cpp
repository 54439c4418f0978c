#include "PanelLinkMonitor.h"

#include "DevicePanel.h"
#include "FrameGap.h"
#include "MenuItems.h"
#include "ReceiveArea.h"

PanelLinkMonitor::PanelLinkMonitor(DevicePanel& Panel, std::shared_ptr<LinkMonitor> Shared)
    : PanelFeature(Panel), Monitor(*Shared), _Shared(std::move(Shared)) {
  // One window for both panels: one key for it, on the first panel's item.
  const TShortCut key = Panel.Index == 0 ? static_cast<TShortCut>(scCtrl | 'M') : 0;
  TMenuItem* item = NewItem(Panel.Owner, Tr("LinkMonitor", "链路监视"), key, [this](TObject*) {
    this->Monitor.Show();
    PortOpened();
  });
  AddMenuItems(Panel.Owner, Panel.Memo, {item});
  if (Panel.Index == 0) Monitor.ChoicesChanged = [this] { this->Panel.ChoicesChanged(); };
}

void PanelLinkMonitor::Tick() {
  // The panel's text is read in its encoding (编码), and so are its rows.
  Monitor.SetCodePage(Panel.Index, Panel.Receive->Choices().CodePage);
  if (Panel.Index == 0) Monitor.Tick();
}

void PanelLinkMonitor::PortOpened() {
  const int baud = Panel.Baud->Text.Get().ToIntDef(0);
  const int dataBits = Panel.DataBits->Text.Get().ToIntDef(8);
  const String parity = Panel.Parity->Text;
  const bool hasParity = !parity.IsEmpty() && parity.Utf8()[0] != 'N';  // "N (无)" is none
  const int stopBits = Panel.StopBits->Text.Get().Utf8() == "1" ? 1 : 2;
  Monitor.SetDefaultGap(Panel.Index, DefaultFrameGap(baud, BitsPerCharacter(dataBits, hasParity, stopBits)));
}

std::string PanelLinkMonitor::PortName() const { return Panel.Port->Text.Get().Utf8(); }

BYTE PanelLinkMonitor::Lines() const {
  const DCB& dcb = Panel.Channel->_Dcb;
  BYTE lines =
      (dcb.fDtrControl == DTR_CONTROL_ENABLE ? kLineDtr : 0) | (dcb.fRtsControl == RTS_CONTROL_ENABLE ? kLineRts : 0);
  DWORD status = 0;
  if (Panel.PortOpen() && GetCommModemStatus(Panel.Channel->_hComm, &status)) {
    if (status & MS_CTS_ON) lines |= kLineCts;
    if (status & MS_DSR_ON) lines |= kLineDsr;
    if (status & MS_RING_ON) lines |= kLineRing;
    if (status & MS_RLSD_ON) lines |= kLineDcd;
  }
  return lines;
}

void PanelLinkMonitor::Received(const ReceivedBlock& Block) {
  // The lines are read only while the monitor records: a panel without it
  // pays nothing.
  if (Monitor.Recording()) Monitor.Received(Panel.Index, PortName(), Block, Lines());
}

void PanelLinkMonitor::Sent(const BYTE* Bytes, DWORD Count) {
  if (Count > 0) Monitor.Sent(Panel.Index, PortName(), std::string(reinterpret_cast<const char*>(Bytes), Count));
}

void PanelLinkMonitor::BreakSent(int Ms) { Monitor.Break(Panel.Index, PortName(), Ms); }

void PanelLinkMonitor::LoadChoices(TIniFile& Ini, const String&) {
  if (Panel.Index != 0) return;
  // Each value is checked on its own: a bad one keeps its default.
  MonitorChoices choices;
  choices.Hex = Ini.ReadBool(kSection, "Hex", choices.Hex);
  choices.ShowSends = Ini.ReadBool(kSection, "ShowSent", choices.ShowSends);
  choices.DecodeModbus = Ini.ReadString(kSection, "Decode", "").Utf8() == "ModbusRTU";
  choices.FrameGapMs = FrameGapOfText(Ini.ReadString(kSection, "FrameGapMs", "").Utf8());
  const int limit = Ini.ReadInteger(kSection, "LimitMB", choices.LimitMb);
  if (IsMonitorLimit(limit)) choices.LimitMb = limit;
  Monitor.SetChoices(choices);
}

void PanelLinkMonitor::SaveChoices(TIniFile& Ini, const String&) const {
  if (Panel.Index != 0) return;
  const MonitorChoices& choices = Monitor.Choices();
  Ini.WriteBool(kSection, "Hex", choices.Hex);
  Ini.WriteBool(kSection, "ShowSent", choices.ShowSends);
  Ini.WriteString(kSection, "Decode", choices.DecodeModbus ? "ModbusRTU" : "None");
  Ini.WriteString(kSection, "FrameGapMs", String(FrameGapText(choices.FrameGapMs)));
  Ini.WriteInteger(kSection, "LimitMB", choices.LimitMb);
}
