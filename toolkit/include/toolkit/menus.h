// Menus: TMenuItem and TPopupMenu, the context menu a control shows on a
// right click or the menu key (see TControl::PopupMenu).
#pragma once

#include <memory>

#include "toolkit/classes.h"
#include "toolkit/events.h"
#include "toolkit/property.h"
#include "toolkit/strings.h"

// "Ctrl+Shift+O" <-> TShortCut. Text that names no known key gives 0; 0
// gives the empty text.
TShortCut TextToShortCut(const String& Text);
String ShortCutToText(TShortCut ShortCut);

struct MenuItemData;

// One entry of a menu. Caption "-" makes a separator; an item with items of
// its own opens a submenu. Choosing an item runs OnClick; with AutoCheck it
// first toggles Checked (a radio item is checked instead). Checking a radio
// item unchecks the other radio items of the same GroupIndex under the same
// parent. An item frees the items under it.
//
// A ShortCut is shown beside the caption and, once the menu is some
// control's PopupMenu, runs the item from anywhere in that control's window
// while the control is visible and enabled, as choosing it would; with
// ShortCutWhileFocused, only while that control has the focus (keys that
// act on a text area, which two areas of a window may each have).
class TMenuItem : public TComponent {
 public:
  explicit TMenuItem(TComponent* AOwner);
  ~TMenuItem() override;

  Property<String> Caption;
  Property<bool> Checked;
  Property<bool> AutoCheck;
  Property<bool> RadioItem;
  Property<int> GroupIndex;
  Property<bool> Enabled;
  Property<bool> Visible;
  Property<TShortCut> ShortCut;
  Property<bool> ShortCutWhileFocused;
  Property<String> Hint;
  TNotifyEvent OnClick;

  ReadOnlyProperty<int> Count;
  IndexedProperty<TMenuItem*> Items;
  ReadOnlyProperty<TMenuItem*> Parent;
  ReadOnlyProperty<int> MenuIndex;

  void Add(TMenuItem* Item);
  void Insert(int Index, TMenuItem* Item);
  // Takes an item out without freeing it.
  void Remove(TMenuItem* Item);
  void Delete(int Index);
  // Frees every item under this one.
  void Clear();
  int IndexOf(const TMenuItem* Item) const;
  // Runs the item as choosing it does (exceptions reach the caller).
  void Click();

 private:
  friend class MenuAccess;
  std::unique_ptr<MenuItemData> data_;
};

// A separator owned by Owner, and an item with its caption, shortcut and
// handler: short ways to fill a menu.
TMenuItem* NewLine(TComponent* Owner);
TMenuItem* NewItem(TComponent* Owner, const String& Caption, TShortCut ShortCut, TNotifyEvent OnClick);

struct PopupMenuData;

// A context menu. OnPopup runs just before it shows, so that items can be
// brought up to date. A memo or an edit shows its own editing items (copy,
// select all...) first, then a separator and these items.
class TPopupMenu : public TComponent {
 public:
  explicit TPopupMenu(TComponent* AOwner);
  ~TPopupMenu() override;

  TMenuItem* const Items;
  TNotifyEvent OnPopup;
  // The control whose right click or menu key showed the menu last.
  ReadOnlyProperty<TComponent*> PopupComponent;

  // Shows the menu at screen position X, Y and returns at once.
  void Popup(int X, int Y);

 private:
  friend class MenuAccess;
  std::unique_ptr<PopupMenuData> data_;
};
