// The items of each panel's context menus for its port's lines and files:
// the receive area's (capture, saving the shown text), the send line's
// (sending a file) and the panel's own (modem lines). Items whose caption,
// check or state follows the panel's are brought up to date whenever that
// changes.
#include <initializer_list>

#include "Unit1.h"

namespace {

// Adds items to the control's context menu (made when it has none yet),
// after a separator when the menu already holds items of its own.
void AddItems(TComponent* Owner, TControl* Control, std::initializer_list<TMenuItem*> Items) {
  if (Control->PopupMenu.Get() == nullptr) Control->PopupMenu = new TPopupMenu(Owner);
  TPopupMenu* menu = Control->PopupMenu;
  if (menu->Items->Count > 0) menu->Items->Add(NewLine(Owner));
  for (TMenuItem* item : Items) menu->Items->Add(item);
}

}  // namespace

void TForm1::CreateContextMenus() {
  TGroupBox* groups[2] = {GroupBox1, GroupBox2};
  for (int index = 0; index < 2; ++index) {
    PanelMenuItems& items = MenuItems[index];
    items.Capture = NewItem(this, "", 0, [this, index](TObject*) { CaptureOrStop(index); });
    TMenuItem* saveShown = NewItem(this, "保存显示内容…", 0, [this, index](TObject*) { SaveShownText(index); });
    AddItems(this, Panels[index].Memo, {items.Capture, saveShown});

    items.SendFile = NewItem(this, "", 0, [this, index](TObject*) { SendFileOrCancel(index); });
    AddItems(this, Panels[index].Edit, {items.SendFile});

    items.Dtr = NewItem(this, "DTR", 0, [this, index](TObject*) { SetDtr(index, !ModemLines[index].Dtr); });
    items.Rts = NewItem(this, "RTS", 0, [this, index](TObject*) { SetRts(index, !ModemLines[index].Rts); });
    items.ResetPulse =
        NewItem(this, "复位脉冲（DTR 和 RTS 低 100 ms）", 0, [this, index](TObject*) { ResetPulse(index); });
    // On/off items show their box even while off.
    items.Dtr->AutoCheck = true;
    items.Rts->AutoCheck = true;
    AddItems(this, groups[index], {items.Dtr, items.Rts, items.ResetPulse});

    UpdateMenuItems(index);
  }
}

void TForm1::UpdateMenuItems(int Index) {
  PanelMenuItems& items = MenuItems[Index];
  const bool open = Channels[Index]._hComm != INVALID_HANDLE_VALUE;
  items.Capture->Caption = Captures[Index].Active() ? "停止保存" : "保存接收数据到文件…";
  items.SendFile->Caption = FileSends[Index].Running() ? "取消发送文件" : "发送文件…";
  items.Dtr->Checked = ModemLines[Index].Dtr;
  items.Rts->Checked = ModemLines[Index].Rts;
  items.ResetPulse->Enabled = open && !ModemLines[Index].Pulsing;
}
