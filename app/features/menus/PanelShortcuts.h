// A panel's own context menu: open/close, clear and hex, each with a
// keyboard shortcut (device 1 Ctrl with the key, device 2 Ctrl+Shift) that
// the buttons' tool tips show. The hex and auto boxes are remembered as
// soon as they change.
#pragma once

#include "PanelFeature.h"

class PanelShortcuts : public PanelFeature {
 public:
  explicit PanelShortcuts(DevicePanel& Panel);

  TMenuItem* const OpenClose;
  TMenuItem* const Clear;
  TMenuItem* const Hex;
};
