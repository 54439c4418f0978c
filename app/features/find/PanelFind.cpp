#include "PanelFind.h"

#include "DevicePanel.h"
#include "MenuItems.h"
#include "ReceiveArea.h"

PanelFind::PanelFind(DevicePanel& Panel)
    : PanelFeature(Panel),
      Item(NewItem(Panel.Owner, Tr("Find", "查找…"),
                   static_cast<TShortCut>(scCtrl | (Panel.Index == 1 ? scShift : 0) | 'F'),
                   [this](TObject*) { Open(); })),
      Box(new TFindBox(Panel.Owner)) {
  AddMenuItems(Panel.Owner, Panel.Memo, {Item});
  // Closed, the focus goes back to the text the box searched (or to the
  // memo, when the view was shown only for the box).
  Box->OnClose = [this](TObject*) {
    this->Panel.Receive->NeedLog(ReceiveArea::kLogFind, false);
    if (this->Panel.Receive->InLog())
      this->Panel.Receive->Log()->SetFocus();
    else
      this->Panel.Memo->SetFocus();
  };
}

void PanelFind::Open() {
  Panel.Receive->NeedLog(ReceiveArea::kLogFind, true);
  Box->Hex = Panel.Hex->Checked.Get();
  Box->ShowFor(Panel.Receive->Log());
}
