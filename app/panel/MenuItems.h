// Building the context-menu items features add to a panel's widgets.
#pragma once

#include <initializer_list>

#include <toolkit/toolkit.h>

// Adds items to the control's context menu (made when it has none yet),
// after a separator when the menu already holds items of its own.
void AddMenuItems(TComponent* Owner, TControl* Control, std::initializer_list<TMenuItem*> Items);

// The item of the control's context menu that opens a submenu of that
// caption, made (after a separator, as AddMenuItems does) when the menu has
// none yet: features whose items belong together (the ways of sending a
// file) each add theirs to it.
TMenuItem* SharedSubmenu(TComponent* Owner, TControl* Control, const String& Caption);

// An item that shows its check box even while off.
TMenuItem* NewCheckItem(TComponent* Owner, const String& Caption, TShortCut ShortCut, TNotifyEvent OnClick);

// One of a group of items of which one is checked, added to Parent.
TMenuItem* NewRadioItem(TComponent* Owner, TMenuItem* Parent, const String& Caption, TNotifyEvent OnClick);
