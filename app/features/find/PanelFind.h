// Finding in a panel's received text (查找…): the item in the receive
// area's menu, Ctrl+F for device 1 and Ctrl+Shift+F for device 2 (the
// panels' key scheme), opens the find box over the receive area. The log
// view shows the text while the box is open (kept whole or under the 4 KB
// rule, as the whole-session choice says); in hex mode the box looks for
// byte sequences.
#pragma once

#include "PanelFeature.h"

class PanelFind : public PanelFeature {
 public:
  explicit PanelFind(DevicePanel& Panel);

  void Open();

  TMenuItem* const Item;
  TFindBox* const Box;
};
