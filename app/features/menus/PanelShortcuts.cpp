#include "PanelShortcuts.h"

#include "DevicePanel.h"
#include "MenuItems.h"

namespace {

TShortCut PanelKey(int Index, char Key) { return static_cast<TShortCut>(scCtrl | (Index == 1 ? scShift : 0) | Key); }

}  // namespace

PanelShortcuts::PanelShortcuts(DevicePanel& Panel)
    : PanelFeature(Panel),
      OpenClose(NewItem(Panel.Owner, Tr("Shortcuts", "打开/关闭串口"), PanelKey(Panel.Index, 'O'),
                        [this](TObject*) { this->Panel.OpenClose->Click(); })),
      Clear(NewItem(Panel.Owner, Tr("Shortcuts", "清空接收区"), PanelKey(Panel.Index, 'L'),
                    [this](TObject*) { this->Panel.Clear->Click(); })),
      Hex(NewCheckItem(Panel.Owner, Tr("Shortcuts", "16进制"), PanelKey(Panel.Index, 'H'), [this](TObject*) {
        this->Panel.Hex->Checked = !this->Panel.Hex->Checked;
        this->Panel.ChoicesChanged();
      })) {
  AddMenuItems(Panel.Owner, Panel.Group, {OpenClose, Clear, Hex});
  Panel.Group->PopupMenu.Get()->OnPopup = [this](TObject*) { Hex->Checked = this->Panel.Hex->Checked; };

  Panel.Hex->OnClick = [this](TObject*) { this->Panel.ChoicesChanged(); };
  Panel.Auto->OnClick = [this](TObject*) { this->Panel.ChoicesChanged(); };

  Panel.OpenClose->Hint = Tr("Shortcuts", "打开或关闭串口");
  Panel.OpenClose->ShowHint = true;
  Panel.OpenClose->HintShortCut = OpenClose->ShortCut;
  Panel.Clear->HintShortCut = Clear->ShortCut;
  Panel.Hex->HintShortCut = Hex->ShortCut;
}
