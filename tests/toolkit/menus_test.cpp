// Popup menus: shown by a right click or the menu key, merged with a text
// control's own editing items, check and radio rules, shortcuts.
#include <gtest/gtest.h>

#include "string_printer.h"

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QTest>

#include <vector>

#include "control_data.h"
#include "toolkit/forms.h"
#include "toolkit/log_view.h"
#include "toolkit/menus.h"
#include "toolkit/std_controls.h"
#include "toolkit/testing.h"

namespace {

class MenusTest : public testing::Test {
 protected:
  MenusTest() : form(nullptr), box(new TGroupBox(&form)), popup(new TPopupMenu(&form)) {
    form.SetBounds(0, 0, 300, 200);
    box->Parent = &form;
    box->SetBounds(0, 0, 300, 200);
    form.Show();
  }
  ~MenusTest() override { CloseMenu(); }

  // A right click (or, with the keyboard, the menu key) on the control.
  static void RightClick(TControl* control, QContextMenuEvent::Reason reason = QContextMenuEvent::Mouse) {
    QWidget* widget = ControlAccess::Widget(control);
    if (auto* area = qobject_cast<QAbstractScrollArea*>(widget)) widget = area->viewport();
    QContextMenuEvent event(reason, QPoint(5, 5), widget->mapToGlobal(QPoint(5, 5)));
    QApplication::sendEvent(widget, &event);
  }
  static QMenu* ShownMenu() { return qobject_cast<QMenu*>(QApplication::activePopupWidget()); }
  // The shown menu's entries: captions, "-" for separators.
  static std::vector<std::string> ShownEntries() {
    std::vector<std::string> entries;
    if (QMenu* menu = ShownMenu())
      for (QAction* action : menu->actions())
        entries.push_back(action->isSeparator() ? "-" : action->text().toStdString());
    return entries;
  }
  static QAction* ShownAction(const char* text) {
    if (QMenu* menu = ShownMenu())
      for (QAction* action : menu->actions())
        if (action->text() == QString::fromUtf8(text)) return action;
    return nullptr;
  }
  static void CloseMenu() {
    while (QMenu* menu = ShownMenu()) menu->close();
  }
  TMenuItem* Add(const char* caption, TMenuItem* parent = nullptr) {
    auto* item = new TMenuItem(&form);
    item->Caption = caption;
    (parent ? parent : popup->Items)->Add(item);
    return item;
  }

  TForm form;
  TGroupBox* box;
  TPopupMenu* popup;
};

TEST_F(MenusTest, ARightClickOrTheMenuKeyShowsTheMenuAndChoosingAnItemRunsIt) {
  int clicks = 0;
  TObject* sender = nullptr;
  TMenuItem* open = Add("Open");
  open->OnClick = [&](TObject* s) {
    ++clicks;
    sender = s;
  };
  popup->Items->Add(NewLine(&form));
  Add("Hidden")->Visible = false;
  TMenuItem* off = Add("Off");
  off->Enabled = false;
  int popups = 0;
  popup->OnPopup = [&](TObject*) { ++popups; };

  RightClick(box);
  EXPECT_EQ(ShownMenu(), nullptr) << "no menu before one is assigned";
  box->PopupMenu = popup;
  EXPECT_EQ(box->PopupMenu.Get(), popup);

  RightClick(box);
  ASSERT_NE(ShownMenu(), nullptr);
  EXPECT_EQ(popups, 1);
  EXPECT_EQ(popup->PopupComponent.Get(), box);
  EXPECT_FALSE(ShownAction("Off")->isEnabled());
  EXPECT_FALSE(ShownAction("Hidden")->isVisible());
  ShownAction("Open")->trigger();
  EXPECT_EQ(clicks, 1);
  EXPECT_EQ(sender, open);
  CloseMenu();

  RightClick(box, QContextMenuEvent::Keyboard);
  ASSERT_NE(ShownMenu(), nullptr);
  EXPECT_EQ(popups, 2);
  CloseMenu();

  // Taken away again: nothing shows.
  box->PopupMenu = nullptr;
  RightClick(box);
  EXPECT_EQ(ShownMenu(), nullptr);
}

TEST_F(MenusTest, AMemoAndAnEditKeepTheirEditingItemsWithOursAfterASeparator) {
  auto* memo = new TMemo(&form);
  memo->Parent = box;
  memo->Text = "some text";
  auto* edit = new TEdit(&form);
  edit->Parent = box;
  Add("Time stamps")->AutoCheck = true;
  memo->PopupMenu = popup;
  edit->PopupMenu = popup;

  for (TControl* control : std::vector<TControl*>{memo, edit}) {
    RightClick(control);
    ASSERT_NE(ShownMenu(), nullptr);
    QAction* copy = nullptr;
    QAction* selectAll = nullptr;
    for (QAction* action : ShownMenu()->actions()) {
      if (action->text().startsWith("&Copy")) copy = action;
      if (action->text().startsWith("Select All")) selectAll = action;
    }
    ASSERT_NE(copy, nullptr);
    ASSERT_NE(selectAll, nullptr);
    std::vector<std::string> entries = ShownEntries();
    ASSERT_GE(entries.size(), 3u);
    EXPECT_EQ(entries[entries.size() - 2], "-");
    EXPECT_EQ(entries.back(), "Time stamps");
    // The editing items still work.
    selectAll->trigger();
    CloseMenu();
  }
  EXPECT_EQ(ControlAccess::WidgetAs<QLineEdit>(edit)->selectedText().size(), edit->Text.Length());

  // The merged menu goes when it closes; ours stays for the next time.
  RightClick(memo);
  QPointer<QMenu> merged = ShownMenu();
  CloseMenu();
  ProcessMessagesFor(20);
  EXPECT_TRUE(merged.isNull());
  RightClick(memo);
  EXPECT_EQ(ShownEntries().back(), "Time stamps");
}

// A panel shows its text in a read-only memo or in a log view: the same
// items must sit in the same places in either, or a click meant for one
// item hits another.
TEST_F(MenusTest, AReadOnlyMemoAndALogViewShowTheSameEntriesInTheSameOrder) {
  auto* memo = new TMemo(&form);
  memo->Parent = box;
  memo->ReadOnly = true;
  memo->Text = "received";
  auto* log = new TLogView(&form);
  log->Parent = box;
  log->Append(String("received"));
  Add("Send file…");
  memo->PopupMenu = popup;
  log->PopupMenu = popup;

  RightClick(memo);
  const std::vector<std::string> inMemo = ShownEntries();
  CloseMenu();
  RightClick(log);
  const std::vector<std::string> inLog = ShownEntries();
  CloseMenu();
  EXPECT_EQ(inMemo, inLog);
  EXPECT_EQ(inMemo, (std::vector<std::string>{"&Copy", "-", "Select All", "-", "Send file…"}));
  // Copy is there but off with nothing selected; select all then copy work.
  RightClick(memo);
  EXPECT_FALSE(ShownAction("&Copy")->isEnabled());
  ShownAction("Select All")->trigger();
  CloseMenu();
  RightClick(memo);
  ASSERT_TRUE(ShownAction("&Copy")->isEnabled());
  ShownAction("&Copy")->trigger();
  EXPECT_EQ(QApplication::clipboard()->text(), QString("received"));
}

TEST_F(MenusTest, CheckedChangesOnlyByAutoCheckOrTheProgramAndRadioItemsExcludeEachOtherPerGroup) {
  TMenuItem* plain = Add("Plain");
  TMenuItem* toggle = Add("Toggle");
  toggle->AutoCheck = true;
  TMenuItem* cr = Add("CR");
  TMenuItem* lf = Add("LF");
  TMenuItem* other = Add("Other group");
  for (TMenuItem* item : {cr, lf, other}) {
    item->RadioItem = true;
    item->AutoCheck = true;
  }
  other->GroupIndex = 1;
  cr->Checked = true;
  other->Checked = true;
  box->PopupMenu = popup;

  RightClick(box);
  ShownAction("Plain")->trigger();
  EXPECT_FALSE(plain->Checked);
  EXPECT_FALSE(ShownAction("Plain")->isChecked());
  ShownAction("Toggle")->trigger();
  EXPECT_TRUE(toggle->Checked);
  ShownAction("Toggle")->trigger();
  EXPECT_FALSE(toggle->Checked);

  ShownAction("LF")->trigger();
  EXPECT_TRUE(lf->Checked);
  EXPECT_FALSE(cr->Checked);
  EXPECT_TRUE(other->Checked) << "another group is left alone";
  // Choosing the checked radio item again keeps it checked.
  ShownAction("LF")->trigger();
  EXPECT_TRUE(lf->Checked);
  EXPECT_TRUE(ShownAction("LF")->isChecked());
  EXPECT_FALSE(ShownAction("CR")->isChecked());

  // Without AutoCheck Qt's own toggling is undone.
  cr->AutoCheck = false;
  ShownAction("CR")->trigger();
  EXPECT_FALSE(cr->Checked);
  EXPECT_FALSE(ShownAction("CR")->isChecked());
  EXPECT_TRUE(ShownAction("LF")->isChecked());

  // The program checks a radio item: the others of its group go off.
  cr->Checked = true;
  EXPECT_FALSE(lf->Checked);
  EXPECT_FALSE(ShownAction("LF")->isChecked());
}

TEST_F(MenusTest, SubmenusSeparatorsAndTheItemListKeepOrderAndOwnership) {
  TMenuItem* period = Add("Period");
  TMenuItem* second = Add("1 s", period);
  Add("5 s", period);
  popup->Items->Insert(0, NewLine(&form));
  EXPECT_EQ(popup->Items->Count, 2);
  EXPECT_EQ(popup->Items->Items.Get(1), period);
  EXPECT_EQ(period->MenuIndex, 1);
  EXPECT_EQ(second->Parent.Get(), period);
  EXPECT_EQ(period->Count, 2);
  EXPECT_THROW(popup->Items->Items.Get(5), EMenuError);
  EXPECT_THROW(popup->Items->Add(second), EMenuError) << "an item has one place";

  box->PopupMenu = popup;
  RightClick(box);
  EXPECT_EQ(ShownEntries(), (std::vector<std::string>{"-", "Period"}));
  QMenu* sub = ShownAction("Period")->menu();
  ASSERT_NE(sub, nullptr);
  ASSERT_EQ(sub->actions().size(), 2);
  EXPECT_EQ(sub->actions()[1]->text(), QString("5 s"));
  CloseMenu();

  // Deleting an item takes it out of its parent; deleting a parent frees
  // its items.
  delete second;
  EXPECT_EQ(period->Count, 1);
  period->Delete(0);
  EXPECT_EQ(period->Count, 0);
  Add("x", period);
  delete period;
  EXPECT_EQ(popup->Items->Count, 1);
}

TEST_F(MenusTest, ShortcutsRunTheirItemsAnywhereInTheWindowAndReadAsText) {
  EXPECT_EQ(TextToShortCut("Ctrl+O"), TShortCut(scCtrl | 'O'));
  EXPECT_EQ(TextToShortCut("Ctrl+Shift+F5"), TShortCut(scCtrl | scShift | 0x74));
  EXPECT_EQ(TextToShortCut("Alt+Return"), TShortCut(scAlt | 0x0D));
  EXPECT_EQ(TextToShortCut("no such key"), 0);
  EXPECT_EQ(TextToShortCut(""), 0);
  EXPECT_EQ(ShortCutToText(scCtrl | scShift | 'L'), String("Ctrl+Shift+L"));
  EXPECT_EQ(ShortCutToText(0), String(""));

  int opened = 0, cleared = 0;
  popup->Items->Add(NewItem(&form, "Open", TextToShortCut("Ctrl+O"), [&](TObject*) { ++opened; }));
  TMenuItem* clear = NewItem(&form, "Clear", 0, [&](TObject*) { ++cleared; });
  popup->Items->Add(clear);
  auto* edit = new TEdit(&form);
  edit->Parent = box;
  box->PopupMenu = popup;
  clear->ShortCut = TextToShortCut("Ctrl+Shift+L");  // set after the menu was assigned

  QApplication::setActiveWindow(ControlAccess::Widget(&form));
  ASSERT_TRUE(QTest::qWaitForWindowActive(ControlAccess::Widget(&form)));
  edit->SetFocus();
  QWidget* focus = ControlAccess::Widget(edit);
  QTest::keyClick(focus, Qt::Key_O, Qt::ControlModifier);
  QTest::keyClick(focus, Qt::Key_L, Qt::ControlModifier | Qt::ShiftModifier);
  EXPECT_EQ(opened, 1);
  EXPECT_EQ(cleared, 1);

  RightClick(box);
  EXPECT_EQ(ShownAction("Clear")->shortcut().toString(), QString("Ctrl+Shift+L"));
  CloseMenu();

  // A disabled item, or one whose menu is no longer the control's, does
  // not answer its key.
  clear->Enabled = false;
  QTest::keyClick(focus, Qt::Key_L, Qt::ControlModifier | Qt::ShiftModifier);
  EXPECT_EQ(cleared, 1);
  box->PopupMenu = nullptr;
  QTest::keyClick(focus, Qt::Key_O, Qt::ControlModifier);
  EXPECT_EQ(opened, 1);
}

// Two text areas with the same keys in their own menus: the key acts on the
// one that has the focus, and is ambiguous for neither.
TEST_F(MenusTest, KeysWhileFocusedActOnTheFocusedControlOnly) {
  int zoomed[2] = {0, 0};
  TMemo* memos[2];
  for (int i = 0; i < 2; ++i) {
    memos[i] = new TMemo(&form);
    memos[i]->Parent = box;
    memos[i]->SetBounds(0, i * 100, 300, 90);
    auto* menu = new TPopupMenu(&form);
    TMenuItem* item =
        NewItem(&form, "Zoom in", static_cast<TShortCut>(scCtrl | VK_OEM_PLUS), [&, i](TObject*) { ++zoomed[i]; });
    item->ShortCutWhileFocused = true;
    menu->Items->Add(item);
    memos[i]->PopupMenu = menu;
  }
  EXPECT_EQ(ShortCutToText(scCtrl | VK_OEM_PLUS), String("Ctrl++"));
  QApplication::setActiveWindow(ControlAccess::Widget(&form));
  ASSERT_TRUE(QTest::qWaitForWindowActive(ControlAccess::Widget(&form)));
  memos[1]->SetFocus();
  QTest::keyClick(ControlAccess::Widget(memos[1]), Qt::Key_Plus, Qt::ControlModifier);
  EXPECT_EQ(zoomed[0], 0);
  EXPECT_EQ(zoomed[1], 1);
  memos[0]->SetFocus();
  QTest::keyClick(ControlAccess::Widget(memos[0]), Qt::Key_Plus, Qt::ControlModifier);
  EXPECT_EQ(zoomed[0], 1);
  EXPECT_EQ(zoomed[1], 1);
}

TEST_F(MenusTest, AMenuDestroyedBeforeItsControlLeavesTheControlWithoutOne) {
  Add("Item")->ShortCut = TextToShortCut("Ctrl+K");
  box->PopupMenu = popup;
  delete popup;
  popup = nullptr;
  EXPECT_EQ(box->PopupMenu.Get(), nullptr);
  RightClick(box);
  EXPECT_EQ(ShownMenu(), nullptr);
}

TEST_F(MenusTest, AnExceptionInAnItemsHandlerIsShownAndGoesNoFurther) {
  ClearShownDialogsForTesting();
  Add("Fails")->OnClick = [](TObject*) { throw Exception("menu failed"); };
  box->PopupMenu = popup;
  RightClick(box);
  ShownAction("Fails")->trigger();
  auto shown = ShownDialogsForTesting();
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_EQ(shown[0].Text, String("menu failed."));
}

}  // namespace
