// TMenuItem and TPopupMenu on QAction and QMenu.
#include <QAbstractScrollArea>
#include <QApplication>
#include <QLineEdit>
#include <QPlainTextEdit>

#include <algorithm>

#include "event_guard.h"
#include "log_area.h"
#include "menu_data.h"
#include "qt_text.h"
#include "read_only_text_menu.h"
#include "shortcut_keys.h"
#include "toolkit/exceptions.h"
#include "toolkit/forms.h"

namespace {

constexpr const char* kLineCaption = "-";

MenuItemData& D(const TMenuItem* item) { return MenuAccess::Data(item); }

TMenuItem* Root(TMenuItem* item) {
  while (D(item).parent) item = D(item).parent;
  return item;
}

void ApplyCheckable(TMenuItem* item) {
  MenuItemData& d = D(item);
  d.action->setCheckable(d.checked || d.autoCheck || d.radioItem);
  d.action->setChecked(d.checked);
}

// A radio item joins its parent's exclusive group for its GroupIndex, so
// that it is drawn as a radio button; the exclusion itself is kept by
// Checked.
void ApplyRadioGroup(TMenuItem* item) {
  MenuItemData& d = D(item);
  QActionGroup* group = nullptr;
  if (d.radioItem && d.parent) {
    MenuItemData& parent = D(d.parent);
    QActionGroup*& slot = parent.radioGroups[d.groupIndex];
    if (!slot) {
      slot = new QActionGroup(parent.action.get());
      slot->setExclusionPolicy(QActionGroup::ExclusionPolicy::ExclusiveOptional);
    }
    group = slot;
  }
  if (d.action->actionGroup() != group) d.action->setActionGroup(group);
  ApplyCheckable(item);
}

// Qt toggles a checkable action before it reports the trigger; Checked
// changes only through AutoCheck or the program, so put every sibling back.
void RestoreChecks(TMenuItem* item) {
  TMenuItem* parent = D(item).parent;
  if (!parent) {
    ApplyCheckable(item);
    return;
  }
  for (TMenuItem* sibling : D(parent).items)
    if (!D(sibling).checked) D(sibling).action->setChecked(false);
  for (TMenuItem* sibling : D(parent).items)
    if (D(sibling).checked) D(sibling).action->setChecked(true);
}

void SetChecked(TMenuItem* item, bool value) {
  MenuItemData& d = D(item);
  d.checked = value;
  if (value && d.radioItem && d.parent)
    for (TMenuItem* sibling : D(d.parent).items) {
      MenuItemData& other = D(sibling);
      if (sibling != item && other.radioItem && other.groupIndex == d.groupIndex && other.checked) {
        other.checked = false;
        ApplyCheckable(sibling);
      }
    }
  ApplyCheckable(item);
}

void CollectActions(TMenuItem* item, std::vector<QAction*>& out) {
  for (TMenuItem* child : D(item).items) {
    if (D(child).shortCut != 0) out.push_back(D(child).action.get());
    CollectActions(child, out);
  }
}

void CheckIndex(int index, int count) {
  if (index < 0 || index >= count) throw EMenuError("Menu index out of range (" + IntToStr(index) + ")");
}

}  // namespace

QMenu* MenuAccess::Submenu(TMenuItem* item) {
  MenuItemData& d = D(item);
  if (!d.submenu) {
    d.submenu = std::make_unique<QMenu>();
    d.submenu->setToolTipsVisible(true);
    d.action->setMenu(d.submenu.get());
  }
  return d.submenu.get();
}

void MenuAccess::AddHost(TPopupMenu* popup, QWidget* host) {
  auto& hosts = Data(popup).hosts;
  std::erase_if(hosts, [](const QPointer<QWidget>& h) { return h.isNull(); });
  if (std::find(hosts.begin(), hosts.end(), host) == hosts.end()) hosts.emplace_back(host);
  RefreshShortcuts(popup->Items);
}

void MenuAccess::RemoveHost(TPopupMenu* popup, QWidget* host) {
  auto& hosts = Data(popup).hosts;
  for (const QPointer<QAction>& action : Data(popup).attached)
    if (action) host->removeAction(action);
  std::erase_if(hosts, [host](const QPointer<QWidget>& h) { return h.isNull() || h == host; });
}

void MenuAccess::RefreshShortcuts(TMenuItem* item) {
  TPopupMenu* popup = D(Root(item)).popup;
  if (!popup) return;
  PopupMenuData& data = Data(popup);
  std::vector<QAction*> actions;
  CollectActions(popup->Items, actions);
  for (const QPointer<QWidget>& host : data.hosts) {
    if (!host) continue;
    for (const QPointer<QAction>& action : data.attached)
      if (action) host->removeAction(action);
    for (QAction* action : actions) host->addAction(action);
  }
  data.attached.assign(actions.begin(), actions.end());
}

void MenuAccess::ShowFor(TPopupMenu* popup, TControl* control, QWidget* widget, QPoint pos) {
  Data(popup).popupComponent = control;
  CallGuarded(popup, [popup] {
    if (popup->OnPopup) popup->OnPopup(popup);
  });
  // A scroll area reports positions in its viewport.
  auto* area = qobject_cast<QAbstractScrollArea*>(widget);
  const QPoint global = (area ? area->viewport() : widget)->mapToGlobal(pos);
  QMenu* own = Submenu(popup->Items);
  const QList<QAction*> actions = own->actions();

  // Text controls keep their editing items (copy, select all...) on top.
  QMenu* standard = nullptr;
  if (auto* memo = qobject_cast<QPlainTextEdit*>(widget))
    standard = memo->isReadOnly() ? NewReadOnlyTextMenu(
                                        memo, memo->textCursor().hasSelection(), !memo->document()->isEmpty(),
                                        [memo] { memo->copy(); }, [memo] { memo->selectAll(); })
                                  : memo->createStandardContextMenu();
  else if (auto* edit = qobject_cast<QLineEdit*>(widget))
    standard = edit->createStandardContextMenu();
  else if (auto* log = qobject_cast<LogArea*>(widget))
    standard = log->CreateStandardContextMenu();
  if (!standard) {
    if (std::any_of(actions.begin(), actions.end(), [](QAction* action) { return action->isVisible(); }))
      own->popup(global);
    return;
  }
  standard->setAttribute(Qt::WA_DeleteOnClose);
  standard->setToolTipsVisible(true);
  if (!actions.isEmpty()) {
    standard->addSeparator();
    standard->addActions(actions);
  }
  standard->popup(global);
}

TMenuItem::TMenuItem(TComponent* AOwner)
    : TComponent(AOwner),
      // A separator has no text of its own: styles draw a separator's text
      // as a heading, and readers would speak it.
      Caption(
          [this] { return data_->action->isSeparator() ? String(kLineCaption) : FromQString(data_->action->text()); },
          [this](const String& value) {
            const bool line = value == String(kLineCaption);
            data_->action->setSeparator(line);
            data_->action->setText(line ? QString() : ToQString(value));
          }),
      Checked([this] { return data_->checked; }, [this](const bool& value) { SetChecked(this, value); }),
      AutoCheck([this] { return data_->autoCheck; },
                [this](const bool& value) {
                  data_->autoCheck = value;
                  ApplyCheckable(this);
                }),
      RadioItem([this] { return data_->radioItem; },
                [this](const bool& value) {
                  data_->radioItem = value;
                  ApplyRadioGroup(this);
                  if (value && data_->checked) SetChecked(this, true);
                }),
      GroupIndex([this] { return data_->groupIndex; },
                 [this](const int& value) {
                   data_->groupIndex = value;
                   ApplyRadioGroup(this);
                   if (data_->radioItem && data_->checked) SetChecked(this, true);
                 }),
      Enabled([this] { return data_->action->isEnabled(); },
              [this](const bool& value) { data_->action->setEnabled(value); }),
      Visible([this] { return data_->action->isVisible(); },
              [this](const bool& value) { data_->action->setVisible(value); }),
      ShortCut([this] { return data_->shortCut; },
               [this](const TShortCut& value) {
                 data_->shortCut = value;
                 data_->action->setShortcut(ToKeySequence(value));
                 MenuAccess::RefreshShortcuts(this);
               }),
      ShortCutWhileFocused(
          [this] { return data_->action->shortcutContext() == Qt::WidgetWithChildrenShortcut; },
          [this](const bool& value) {
            data_->action->setShortcutContext(value ? Qt::WidgetWithChildrenShortcut : Qt::WindowShortcut);
          }),
      Hint([this] { return FromQString(data_->action->toolTip()); },
           [this](const String& value) { data_->action->setToolTip(ToQString(value)); }),
      Count([this] { return static_cast<int>(data_->items.size()); }),
      Items([this](int index) -> TMenuItem* {
        CheckIndex(index, static_cast<int>(data_->items.size()));
        return data_->items[static_cast<size_t>(index)];
      }),
      Parent([this] { return data_->parent; }),
      MenuIndex([this] { return data_->parent ? data_->parent->IndexOf(this) : -1; }),
      data_((Application->Initialize(), std::make_unique<MenuItemData>())) {
  data_->action = std::make_unique<QAction>();
  // Shortcuts work wherever the window is active, not only in the control
  // that shows the menu.
  data_->action->setShortcutContext(Qt::WindowShortcut);
  QObject::connect(data_->action.get(), &QAction::triggered, [this] {
    RestoreChecks(this);
    CallGuarded(this, [this] { Click(); });
  });
}

TMenuItem::~TMenuItem() {
  Clear();
  if (data_->parent) data_->parent->Remove(this);
  // The groups are children of the action and go with it.
  data_->radioGroups.clear();
  data_->submenu.reset();
}

void TMenuItem::Add(TMenuItem* Item) { Insert(Count, Item); }

void TMenuItem::Insert(int Index, TMenuItem* Item) {
  if (!Item) return;
  if (Item->data_->parent) throw EMenuError("Menu item is already inserted");
  if (Index < 0 || Index > Count) CheckIndex(Index, Count);
  QMenu* menu = MenuAccess::Submenu(this);
  QAction* before = Index < Count ? data_->items[static_cast<size_t>(Index)]->data_->action.get() : nullptr;
  data_->items.insert(data_->items.begin() + Index, Item);
  Item->data_->parent = this;
  menu->insertAction(before, Item->data_->action.get());
  ApplyRadioGroup(Item);
  if (Item->data_->radioItem && Item->data_->checked) SetChecked(Item, true);
  MenuAccess::RefreshShortcuts(this);
}

void TMenuItem::Remove(TMenuItem* Item) {
  auto found = std::find(data_->items.begin(), data_->items.end(), Item);
  if (found == data_->items.end()) return;
  data_->items.erase(found);
  if (data_->submenu) data_->submenu->removeAction(Item->data_->action.get());
  Item->data_->action->setActionGroup(nullptr);
  Item->data_->parent = nullptr;
  MenuAccess::RefreshShortcuts(this);
  MenuAccess::RefreshShortcuts(Item);
}

void TMenuItem::Delete(int Index) {
  CheckIndex(Index, Count);
  delete data_->items[static_cast<size_t>(Index)];
}

void TMenuItem::Clear() {
  while (!data_->items.empty()) delete data_->items.back();
}

int TMenuItem::IndexOf(const TMenuItem* Item) const {
  auto found = std::find(data_->items.begin(), data_->items.end(), Item);
  return found == data_->items.end() ? -1 : static_cast<int>(found - data_->items.begin());
}

void TMenuItem::Click() {
  if (data_->autoCheck) SetChecked(this, data_->radioItem ? true : !data_->checked);
  if (OnClick) OnClick(this);
}

TMenuItem* NewLine(TComponent* Owner) {
  auto* item = new TMenuItem(Owner);
  item->Caption = kLineCaption;
  return item;
}

TMenuItem* NewItem(TComponent* Owner, const String& Caption, TShortCut ShortCut, TNotifyEvent OnClick) {
  auto* item = new TMenuItem(Owner);
  item->Caption = Caption;
  item->ShortCut = ShortCut;
  item->OnClick = std::move(OnClick);
  return item;
}

TPopupMenu::TPopupMenu(TComponent* AOwner)
    : TComponent(AOwner),
      Items(new TMenuItem(nullptr)),
      PopupComponent([this] { return data_->popupComponent; }),
      data_(std::make_unique<PopupMenuData>()) {
  MenuAccess::Data(Items).popup = this;
  MenuAccess::Submenu(Items);
}

TPopupMenu::~TPopupMenu() {
  // The items' actions leave the hosts as they are destroyed.
  delete Items;
}

void TPopupMenu::Popup(int X, int Y) {
  CallGuarded(this, [this] {
    if (OnPopup) OnPopup(this);
  });
  MenuAccess::Submenu(Items)->popup(QPoint(X, Y));
}
