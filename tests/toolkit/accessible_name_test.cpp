// What a screen reader is told about controls: the names from AccessibleName
// and from labels (FocusControl), and the label relation both ways.
#include <gtest/gtest.h>

#include <QAccessible>
#include <QAccessibleInterface>
#include <QWidget>

#include "control_data.h"
#include "toolkit/forms.h"
#include "toolkit/std_controls.h"

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

}  // namespace
