#include "MenuItems.h"

#include <utility>

void AddMenuItems(TComponent* Owner, TControl* Control, std::initializer_list<TMenuItem*> Items) {
  if (Control->PopupMenu.Get() == nullptr) Control->PopupMenu = new TPopupMenu(Owner);
  TPopupMenu* menu = Control->PopupMenu;
  if (menu->Items->Count > 0) menu->Items->Add(NewLine(Owner));
  for (TMenuItem* item : Items) menu->Items->Add(item);
}

TMenuItem* SharedSubmenu(TComponent* Owner, TControl* Control, const String& Caption) {
  if (TPopupMenu* menu = Control->PopupMenu.Get())
    for (int i = 0; i < menu->Items->Count; ++i)
      if (menu->Items->Items[i]->Caption.Get() == Caption) return menu->Items->Items[i];
  TMenuItem* submenu = NewItem(Owner, Caption, 0, nullptr);
  AddMenuItems(Owner, Control, {submenu});
  return submenu;
}

TMenuItem* NewCheckItem(TComponent* Owner, const String& Caption, TShortCut ShortCut, TNotifyEvent OnClick) {
  TMenuItem* item = NewItem(Owner, Caption, ShortCut, std::move(OnClick));
  item->AutoCheck = true;
  return item;
}

TMenuItem* NewRadioItem(TComponent* Owner, TMenuItem* Parent, const String& Caption, TNotifyEvent OnClick) {
  TMenuItem* item = NewCheckItem(Owner, Caption, 0, std::move(OnClick));
  item->RadioItem = true;
  Parent->Add(item);
  return item;
}
