// Time stamps on what a panel receives, switched in its receive area's
// context menu and remembered. Each line's stamp is the arrival of its
// first byte (the reads' marks).
#pragma once

#include "PanelFeature.h"

class PanelTimeStamps : public PanelFeature {
 public:
  explicit PanelTimeStamps(DevicePanel& Panel);

  bool On() const { return _bOn; }
  // Switching on stamps the next line that starts, not the one shown open.
  void Set(bool On);

  void ShowState() override;
  void LoadChoices(TIniFile& Ini, const String& Section) override;
  void SaveChoices(TIniFile& Ini, const String& Section) const override;

  TMenuItem* const Item;

 private:
  bool _bOn = false;
};
