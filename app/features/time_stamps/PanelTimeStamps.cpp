#include "PanelTimeStamps.h"

#include "DevicePanel.h"
#include "MenuItems.h"
#include "ReceiveArea.h"

PanelTimeStamps::PanelTimeStamps(DevicePanel& Panel)
    : PanelFeature(Panel),
      Item(NewCheckItem(Panel.Owner, Tr("TimeStamps", "时间戳"), 0, [this](TObject*) { Set(!_bOn); })) {
  AddMenuItems(Panel.Owner, Panel.Memo, {Item});
}

void PanelTimeStamps::Set(bool On) {
  if (On && !_bOn) Panel.Receive->StartTimeStamps();
  _bOn = On;
  Panel.TimeStamps = On;
  ShowState();
  Panel.ChoicesChanged();
}

void PanelTimeStamps::ShowState() { Item->Checked = _bOn; }

void PanelTimeStamps::LoadChoices(TIniFile& Ini, const String& Section) {
  _bOn = Ini.ReadBool(Section, "TimeStamps", _bOn);
  Panel.TimeStamps = _bOn;
  ShowState();
}

void PanelTimeStamps::SaveChoices(TIniFile& Ini, const String& Section) const {
  Ini.WriteBool(Section, "TimeStamps", _bOn);
}
