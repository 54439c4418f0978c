// Forms the user may resize: anchored controls following their parent, the
// splitter's bar, the form's smallest size, its restored place and its
// system menu.
#include <gtest/gtest.h>

#include "string_printer.h"

#include <QAccessible>
#include <QApplication>
#include <QMenu>
#include <QScreen>
#include <QWidget>

#include "control_data.h"
#include "toolkit/ext_controls.h"
#include "toolkit/forms.h"
#include "toolkit/std_controls.h"
#include "toolkit/testing.h"

namespace {

struct Bounds {
  int Left, Top, Width, Height;
  bool operator==(const Bounds&) const = default;
};

Bounds Of(const TControl* c) { return {c->Left, c->Top, c->Width, c->Height}; }

void PrintTo(const Bounds& b, std::ostream* out) {
  *out << '{' << b.Left << ',' << b.Top << ',' << b.Width << ',' << b.Height << '}';
}

TEST(SizeableForm, AnchoredControlsKeepTheirDistancesToTheSidesTheyAreAnchoredTo) {
  TForm form(nullptr);
  form.ClientWidth = 400;
  form.ClientHeight = 300;
  auto* group = new TGroupBox(&form);
  group->Parent = &form;
  group->SetBounds(0, 0, 400, 300);
  group->Anchors = akLeft | akTop | akRight | akBottom;
  auto* stretched = new TMemo(&form);  // all four sides: grows both ways
  stretched->Parent = group;
  stretched->SetBounds(10, 20, 300, 200);
  stretched->Anchors = akLeft | akTop | akRight | akBottom;
  auto* below = new TButton(&form);  // left and bottom: follows the bottom
  below->Parent = group;
  below->SetBounds(10, 250, 50, 25);
  below->Anchors = akLeft | akBottom;
  auto* corner = new TButton(&form);  // right and top: follows the right side
  corner->Parent = group;
  corner->SetBounds(330, 20, 50, 25);
  corner->Anchors = akRight | akTop;
  auto* centred = new TButton(&form);  // top only: its centre in proportion
  centred->Parent = group;
  centred->SetBounds(175, 250, 50, 25);
  centred->Anchors = akTop;
  auto* still = new TButton(&form);  // the default: where it was put
  still->Parent = group;
  still->SetBounds(330, 250, 50, 25);

  form.ClientWidth = 600;
  form.ClientHeight = 400;
  ProcessMessagesFor(20);
  EXPECT_EQ(Of(group), (Bounds{0, 0, 600, 400}));
  EXPECT_EQ(Of(stretched), (Bounds{10, 20, 500, 300}));
  EXPECT_EQ(Of(below), (Bounds{10, 350, 50, 25}));
  EXPECT_EQ(Of(corner), (Bounds{530, 20, 50, 25}));
  EXPECT_EQ(Of(centred), (Bounds{275, 250, 50, 25}));
  EXPECT_EQ(Of(still), (Bounds{330, 250, 50, 25}));

  // Back to the size it had: every control exactly where it stood, with no
  // pixel lost to rounding on the way.
  form.ClientWidth = 401;
  form.ClientHeight = 301;
  form.ClientWidth = 400;
  form.ClientHeight = 300;
  ProcessMessagesFor(20);
  EXPECT_EQ(Of(stretched), (Bounds{10, 20, 300, 200}));
  EXPECT_EQ(Of(below), (Bounds{10, 250, 50, 25}));
  EXPECT_EQ(Of(corner), (Bounds{330, 20, 50, 25}));
  EXPECT_EQ(Of(centred), (Bounds{175, 250, 50, 25}));

  // A parent smaller than the control's margins leaves it no size below 0
  // rather than a negative one.
  form.ClientWidth = 50;
  ProcessMessagesFor(20);
  EXPECT_GE(stretched->Width.Get(), 0);

  // Bounds set while anchored are the new starting point.
  form.ClientWidth = 400;
  stretched->SetBounds(10, 20, 100, 100);
  form.ClientWidth = 450;
  ProcessMessagesFor(20);
  EXPECT_EQ(Of(stretched), (Bounds{10, 20, 150, 100}));
}

TEST(SizeableForm, TheSplitterMovesByKeysWithinItsLimitsAndSaysSo) {
  TForm form(nullptr);
  form.ClientWidth = 300;
  form.ClientHeight = 300;
  auto* splitter = new TSplitter(&form);
  splitter->Parent = &form;
  splitter->SetBounds(0, 100, 300, 5);
  splitter->MinTop = 60;
  splitter->MaxTop = 200;
  int moves = 0;
  splitter->OnMoved = [&](TObject*) { ++moves; };
  form.Show();
  ProcessMessagesFor(20);

  PressKeyForTesting(splitter, VK_DOWN);
  EXPECT_EQ(splitter->Top.Get(), 108);
  PressKeyForTesting(splitter, VK_UP);
  PressKeyForTesting(splitter, VK_UP);
  EXPECT_EQ(splitter->Top.Get(), 92);
  PressKeyForTesting(splitter, VK_END);
  EXPECT_EQ(splitter->Top.Get(), 200);
  PressKeyForTesting(splitter, VK_NEXT);  // held at the limit: no move, no event
  EXPECT_EQ(splitter->Top.Get(), 200);
  PressKeyForTesting(splitter, VK_HOME);
  EXPECT_EQ(splitter->Top.Get(), 60);
  EXPECT_EQ(moves, 5);
  EXPECT_EQ(QAccessible::queryAccessibleInterface(ControlAccess::Widget(splitter))->role(), QAccessible::Grip);
}

TEST(SizeableForm, ASizeableFormKeepsItsSmallestSizeAndAFixedOneRefusesAnyOther) {
  TForm form(nullptr);
  form.ClientWidth = 500;
  form.ClientHeight = 400;
  form.Constraints->MinWidth = 450;
  form.Constraints->MinHeight = 350;
  form.Show();
  ProcessMessagesFor(20);
  QWidget* window = ControlAccess::Widget(&form);
  window->resize(100, 100);  // as a user's drag would ask
  EXPECT_EQ(form.ClientWidth.Get(), 450);
  EXPECT_EQ(form.ClientHeight.Get(), 350);
  window->resize(700, 500);
  EXPECT_EQ(form.ClientWidth.Get(), 700);

  form.BorderStyle = bsSingle;
  ProcessMessagesFor(20);
  window->resize(900, 600);
  EXPECT_EQ(form.ClientWidth.Get(), 700);
  EXPECT_EQ(form.ClientHeight.Get(), 500);
  EXPECT_EQ(window->minimumSize(), window->maximumSize());
}

TEST(SizeableForm, TheRestoredPlaceStaysWhileMaximisedAndResizesAreTold) {
  TForm form(nullptr);
  form.ClientWidth = 400;
  form.ClientHeight = 300;
  int resizes = 0;
  form.OnResize = [&](TObject*) { ++resizes; };
  form.Show();
  ProcessMessagesFor(20);
  form.ClientWidth = 420;
  EXPECT_GT(resizes, 0);
  EXPECT_EQ(form.RestoredClientWidth.Get(), 420);
  form.WindowState = wsMaximized;
  ProcessMessagesUntil([&] { return form.ClientWidth.Get() != 420; }, 2000);
  EXPECT_EQ(form.WindowState.Get(), wsMaximized);
  EXPECT_EQ(form.RestoredClientWidth.Get(), 420);
  EXPECT_EQ(form.RestoredClientHeight.Get(), 300);
  form.WindowState = wsNormal;
  ProcessMessagesUntil([&] { return form.ClientWidth.Get() == 420; }, 2000);
  EXPECT_EQ(form.ClientWidth.Get(), 420);
}

TEST(SizeableForm, AWindowPlacedOffEveryScreenIsBroughtBackOntoOne) {
  TForm form(nullptr);
  form.ClientWidth = 300;
  form.ClientHeight = 200;
  form.Show();
  ProcessMessagesFor(20);
  form.Left = 20000;
  form.Top = -5000;
  form.MakeFullyVisible();
  const QRect area = QApplication::primaryScreen()->availableGeometry();
  EXPECT_TRUE(area.contains(QRect(form.Left, form.Top, form.Width, form.Height)))
      << form.Left.Get() << "," << form.Top.Get();
}

// The window's own items first, as far as its border allows, then the
// program's; Alt+Space is how the keyboard reaches it.
TEST(SizeableForm, TheSystemMenuHoldsTheWindowsItemsAndTheProgramsOwn) {
  TForm form(nullptr);
  form.BorderStyle = bsSingle;
  form.BorderIcons = biSystemMenu | biMinimize;
  auto* own = new TMenuItem(&form);
  own->Caption = "Own item";
  form.SystemMenu->Add(own);
  form.Show();
  ProcessMessagesFor(20);
  form.ShowSystemMenu();
  ProcessMessagesFor(20);
  auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
  ASSERT_NE(menu, nullptr);
  std::vector<std::pair<std::string, bool>> items;
  for (QAction* action : menu->actions())
    if (!action->isSeparator()) items.emplace_back(action->text().toStdString(), action->isEnabled());
  const std::vector<std::pair<std::string, bool>> expected = {
      {"还原", false}, {"最小化", true}, {"最大化", false}, {"关闭", true}, {"Own item", true}};
  EXPECT_EQ(items, expected);
  menu->close();
}

}  // namespace
