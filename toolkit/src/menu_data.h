// What menu items and popup menus keep behind their public classes: each
// item is a QAction, a parent item's children fill its QMenu, and the root
// item's QMenu is the popup menu.
#pragma once

#include <QAction>
#include <QActionGroup>
#include <QMenu>
#include <QPointer>
#include <QWidget>

#include <map>
#include <memory>
#include <vector>

#include "toolkit/menus.h"

class TControl;

struct MenuItemData {
  std::unique_ptr<QAction> action;
  std::unique_ptr<QMenu> submenu;  // made with the first child
  TMenuItem* parent = nullptr;
  std::vector<TMenuItem*> items;
  // Radio items look like radio buttons only inside an exclusive action
  // group: one group per GroupIndex among this item's children.
  std::map<int, QActionGroup*> radioGroups;
  TPopupMenu* popup = nullptr;  // set on a popup menu's root item
  bool checked = false;
  bool autoCheck = false;
  bool radioItem = false;
  int groupIndex = 0;
  TShortCut shortCut = 0;
};

struct PopupMenuData {
  // The widgets of the controls whose PopupMenu this is: the items'
  // shortcuts are attached to them.
  std::vector<QPointer<QWidget>> hosts;
  std::vector<QPointer<QAction>> attached;
  TComponent* popupComponent = nullptr;
};

class MenuAccess {
 public:
  static MenuItemData& Data(const TMenuItem* item) { return *item->data_; }
  static PopupMenuData& Data(const TPopupMenu* popup) { return *popup->data_; }
  // The QMenu that shows an item's children (made when missing).
  static QMenu* Submenu(TMenuItem* item);
  // Lets the popup's shortcuts work in the host's window.
  static void AddHost(TPopupMenu* popup, QWidget* host);
  static void RemoveHost(TPopupMenu* popup, QWidget* host);
  // Attaches the current shortcuts of the popup that item belongs to.
  static void RefreshShortcuts(TMenuItem* item);
  // A right click or the menu key on control's widget at pos, as its
  // customContextMenuRequested reports it.
  static void ShowFor(TPopupMenu* popup, TControl* control, QWidget* widget, QPoint pos);
};
