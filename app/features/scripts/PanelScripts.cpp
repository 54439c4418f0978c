#include "PanelScripts.h"

#include "DevicePanel.h"
#include "MenuItems.h"

PanelScripts::PanelScripts(DevicePanel& Panel, std::shared_ptr<ScriptHost> Shared, const ScriptLineControls& Controls)
    : PanelFeature(Panel),
      Host(*Shared),
      Item(NewItem(Panel.Owner, Tr("Scripts", "脚本…"), Panel.Index == 0 ? static_cast<TShortCut>(scCtrl | 'R') : 0,
                   [this](TObject*) { Host.ShowWindow(); })),
      _Shared(std::move(Shared)) {
  AddMenuItems(Panel.Owner, Panel.Group, {Item});
  Host.Attach(Panel, Controls);
  if (Panel.Index == 0) Host.ChoicesChanged = [this] { this->Panel.ChoicesChanged(); };
}

PanelScripts::~PanelScripts() {
  Host.Detach(Panel.Index);
  if (Panel.Index == 0) Host.ChoicesChanged = nullptr;
}

void PanelScripts::Tick() {
  if (Panel.Index == 0) Host.Tick();
}

void PanelScripts::PortOpened() { Host.PortOpened(Panel.Index); }

void PanelScripts::PortClosed(PortCloseReason Reason, bool) { Host.PortClosed(Panel.Index, Reason); }

void PanelScripts::LoadChoices(TIniFile& Ini, const String&) {
  if (Panel.Index == 0) Host.Recent.Load(Ini);
}

void PanelScripts::SaveChoices(TIniFile& Ini, const String&) const {
  if (Panel.Index == 0) Host.Recent.Save(Ini);
}
