// A panel's part in the program's scripts: the 脚本… item of the panel's
// menu (Ctrl+R on the first panel's, which reaches it from anywhere in the
// window) opening the one script window, and the panel's port opening and
// closing told to a running script. The first panel's part also remembers
// the recent scripts.
#pragma once

#include <memory>

#include "PanelFeature.h"
#include "ScriptHost.h"

class PanelScripts : public PanelFeature {
 public:
  // Both panels' parts share the host; it goes with the last of them.
  PanelScripts(DevicePanel& Panel, std::shared_ptr<ScriptHost> Shared, const ScriptLineControls& Controls);
  ~PanelScripts() override;

  void Tick() override;
  void PortOpened() override;
  void PortClosed(PortCloseReason Reason, bool BlocksFollow) override;
  void LoadChoices(TIniFile& Ini, const String& Section) override;
  void SaveChoices(TIniFile& Ini, const String& Section) const override;

  ScriptHost& Host;
  TMenuItem* const Item;

 private:
  const std::shared_ptr<ScriptHost> _Shared;
};
