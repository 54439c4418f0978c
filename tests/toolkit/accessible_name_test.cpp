// What a screen reader is told about controls: the names from AccessibleName
// and from labels (FocusControl), and the label relation both ways.
#include <gtest/gtest.h>

#include <QAccessible>
#include <QAccessibleInterface>
#include <QWidget>

#include <algorithm>
#include <utility>
#include <vector>

#include "control_data.h"
#include "toolkit/forms.h"
#include "toolkit/log_view.h"
#include "toolkit/std_controls.h"
#include "toolkit/testing.h"

namespace {

QAccessibleInterface* Accessible(const TControl* control) {
  return QAccessible::queryAccessibleInterface(ControlAccess::Widget(control));
}

QString Name(const TControl* control) { return Accessible(control)->text(QAccessible::Name); }

// The objects related to the control in the given way.
QList<QObject*> Related(const TControl* control, QAccessible::Relation relation) {
  QList<QObject*> objects;
  for (const auto& pair : Accessible(control)->relations(relation)) objects.append(pair.first->object());
  return objects;
}

class AccessibleNameTest : public testing::Test {
 protected:
  AccessibleNameTest() : form(nullptr), box(new TGroupBox(&form)) {
    box->Parent = &form;
    box->Caption = "设备1";
  }
  TComboBox* NewCombo(const char* text) {
    auto* combo = new TComboBox(&form);
    combo->Parent = box;
    combo->Items->Add("9600");
    combo->Items->Add("19200");
    combo->Text = text;
    return combo;
  }
  TLabel* NewLabel(const char* caption, TWinControl* names) {
    auto* label = new TLabel(&form);
    label->Parent = box;
    label->Caption = caption;
    label->FocusControl = names;
    return label;
  }
  TForm form;
  TGroupBox* box;
};

TEST_F(AccessibleNameTest, AComboBoxSpeaksItsNameThenItsLabelAndItsTextOnlyAsTheValue) {
  TComboBox* named = NewCombo("9600");
  named->AccessibleName = "设备1 波特率";
  NewLabel("波特率：", named);
  TComboBox* labelled = NewCombo("19200");
  NewLabel("数据位：", labelled);
  TComboBox* bare = NewCombo("COM3");

  EXPECT_EQ(Name(named), QString("设备1 波特率"));
  EXPECT_EQ(Name(labelled), QString("数据位："));
  // Nothing names it: the text is all there is to say.
  EXPECT_EQ(Name(bare), QString("COM3"));

  EXPECT_EQ(Accessible(named)->role(), QAccessible::ComboBox);
  EXPECT_EQ(Accessible(named)->text(QAccessible::Value), QString("9600"));
  labelled->Text = "115200";  // typed, not an item
  EXPECT_EQ(Accessible(labelled)->text(QAccessible::Value), QString("115200"));
  EXPECT_EQ(Name(labelled), QString("数据位："));
}

TEST_F(AccessibleNameTest, TheEditOfAComboBoxIsItsChildAndHoldsTheText) {
  TComboBox* combo = NewCombo("COM1");
  QAccessibleInterface* iface = Accessible(combo);
  ASSERT_EQ(iface->childCount(), 2);
  QAccessibleInterface* edit = iface->child(1);
  ASSERT_NE(edit, nullptr);
  EXPECT_EQ(edit->role(), QAccessible::EditableText);
  EXPECT_EQ(iface->indexOfChild(edit), 1);
  EXPECT_EQ(iface->indexOfChild(iface->child(0)), 0);
  ASSERT_NE(edit->textInterface(), nullptr);
  EXPECT_EQ(edit->textInterface()->text(0, edit->textInterface()->characterCount()), QString("COM1"));
  EXPECT_TRUE(iface->actionInterface()->actionNames().contains(QAccessibleActionInterface::showMenuAction()));
}

TEST_F(AccessibleNameTest, LabelAndControlAreRelatedBothWaysAndOtherControlsTakeTheLabelsName) {
  TComboBox* combo = NewCombo("9600");
  TLabel* comboLabel = NewLabel("波特率：", combo);
  auto* edit = new TEdit(&form);
  edit->Parent = box;
  TLabel* editLabel = NewLabel("发送：", edit);

  // The group box labels its controls as well.
  EXPECT_TRUE(Related(combo, QAccessible::Label).contains(ControlAccess::Widget(comboLabel)));
  EXPECT_FALSE(Related(edit, QAccessible::Label).contains(ControlAccess::Widget(comboLabel)));
  EXPECT_EQ(Related(comboLabel, QAccessible::Labelled), QList<QObject*>{ControlAccess::Widget(combo)});
  EXPECT_EQ(Name(edit), QString("发送："));
  EXPECT_EQ(editLabel->FocusControl.Get(), edit);

  edit->AccessibleName = "设备1 发送区";
  EXPECT_EQ(Name(edit), QString("设备1 发送区"));
}

TEST_F(AccessibleNameTest, FocusControlReadsNullOnceItsControlIsGoneAndCanBeCleared) {
  TComboBox* combo = NewCombo("9600");
  TLabel* label = NewLabel("波特率：", combo);
  EXPECT_EQ(label->FocusControl.Get(), combo);
  delete combo;
  EXPECT_EQ(label->FocusControl.Get(), nullptr);

  TComboBox* other = NewCombo("9600");
  label->FocusControl = other;
  EXPECT_EQ(Name(other), QString("波特率："));
  label->FocusControl = nullptr;
  EXPECT_EQ(label->FocusControl.Get(), nullptr);
  EXPECT_EQ(Name(other), QString("9600"));
}

TEST_F(AccessibleNameTest, AFormIsAWindowNamedByItsCaption) {
  form.Caption = "Kestrix";
  QAccessibleInterface* window = Accessible(&form);
  EXPECT_EQ(window->role(), QAccessible::Window);
  EXPECT_EQ(window->text(QAccessible::Name), QString("Kestrix"));
  // The box on it is not a window.
  EXPECT_NE(Accessible(box)->role(), QAccessible::Window);
}

// A control hidden so that another takes its place (a log view in a memo's
// place) is no twin in the tree: a reader meets only what is shown.
TEST_F(AccessibleNameTest, ControlsTheProgramHidLeaveTheTreeAndComeBackWhenShown) {
  box->Caption = "设备1";
  auto* memo = new TMemo(&form);
  memo->Parent = box;
  memo->AccessibleName = "接收区";
  auto* log = new TLogView(&form);
  log->Parent = box;
  log->AccessibleName = "接收区";
  memo->Visible = false;
  form.Show();
  ProcessMessagesFor(10);
  const auto names = [](QAccessibleInterface* parent) {
    std::vector<std::pair<QString, QObject*>> children;
    for (int i = 0; i < parent->childCount(); ++i)
      children.emplace_back(parent->child(i)->text(QAccessible::Name), parent->child(i)->object());
    return children;
  };
  QAccessibleInterface* group = Accessible(box);
  EXPECT_EQ(group->text(QAccessible::Name), QString("设备1"));
  auto children = names(group);
  ASSERT_EQ(std::count_if(children.begin(), children.end(), [](auto& c) { return c.first == "接收区"; }), 1);
  EXPECT_EQ(group->indexOfChild(Accessible(memo)), -1);
  const int at = group->indexOfChild(Accessible(log));
  ASSERT_GE(at, 0);
  EXPECT_EQ(group->child(at)->object(), ControlAccess::Widget(log));
  EXPECT_EQ(Accessible(log)->parent()->object(), ControlAccess::Widget(box));

  log->Visible = false;
  memo->Visible = true;
  children = names(group);
  ASSERT_EQ(std::count_if(children.begin(), children.end(), [](auto& c) { return c.first == "接收区"; }), 1);
  EXPECT_GE(group->indexOfChild(Accessible(memo)), 0);
  EXPECT_EQ(group->indexOfChild(Accessible(log)), -1);
  // The same on the form itself.
  box->Visible = false;
  EXPECT_EQ(Accessible(&form)->indexOfChild(group), -1);
}

}  // namespace
