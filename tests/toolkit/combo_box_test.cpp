// The combo box's rules for items, selection and its edit text.
#include <gtest/gtest.h>

#include <QComboBox>

#include "control_data.h"
#include "string_printer.h"

#include "toolkit/exceptions.h"
#include "toolkit/forms.h"
#include "toolkit/std_controls.h"

namespace {

class ComboBoxTest : public testing::Test {
 protected:
  ComboBoxTest() : form(nullptr), combo(new TComboBox(&form)) {
    combo->Parent = &form;
    combo->Text = "COM1";
  }
  TForm form;
  TComboBox* combo;
};

TEST_F(ComboBoxTest, AddingItemsNeitherSelectsNorChangesTheText) {
  combo->Items->Add("COM3");
  combo->Items->Add("COM10");
  EXPECT_EQ(combo->ItemIndex, -1);
  EXPECT_EQ(combo->Text.Get(), String("COM1"));
  EXPECT_EQ(combo->Items->Count, 2);
  EXPECT_EQ(combo->Items->Strings[1], String("COM10"));
  EXPECT_EQ((*combo->Items)[0], String("COM3"));
}

TEST_F(ComboBoxTest, SelectingAnItemShowsItAndAMissingIndexSelectsNothing) {
  combo->Items->Add("COM3");
  combo->ItemIndex = 0;
  EXPECT_EQ(combo->ItemIndex, 0);
  EXPECT_EQ(combo->Text.Get(), String("COM3"));
  // A single port: item 1 does not exist.
  combo->ItemIndex = 1;
  EXPECT_EQ(combo->ItemIndex, -1);
  EXPECT_EQ(combo->Text.Get(), String(""));
  combo->ItemIndex = 0;
  combo->ItemIndex = -1;
  EXPECT_EQ(combo->Text.Get(), String(""));
}

TEST_F(ComboBoxTest, ClearingTheItemsEmptiesTheEdit) {
  combo->Items->Add("COM1");
  combo->Items->Clear();
  EXPECT_EQ(combo->Items->Count, 0);
  EXPECT_EQ(combo->Text.Get(), String(""));
  EXPECT_EQ(combo->ItemIndex, -1);
  combo->ItemIndex = 0;
  EXPECT_EQ(combo->ItemIndex, -1);
}

TEST_F(ComboBoxTest, TypedTextIsKeptAsItStandsAndNeverBecomesAnItem) {
  combo->Items->Add("9600");
  combo->ItemIndex = 0;
  combo->Text = " 115200 ";
  EXPECT_EQ(combo->Text.Get(), String(" 115200 "));
  EXPECT_EQ(combo->Items->Count, 1);
}

TEST_F(ComboBoxTest, DeletingTheSelectedItemSelectsNothing) {
  combo->Items->Add("a");
  combo->Items->Add("b");
  combo->ItemIndex = 1;
  combo->Items->Delete(0);
  EXPECT_EQ(combo->Text.Get(), String("b"));
  combo->Items->Delete(0);
  EXPECT_EQ(combo->ItemIndex, -1);
  EXPECT_EQ(combo->Text.Get(), String(""));
  EXPECT_THROW(combo->Items->Delete(0), EStringListError);
}

}  // namespace

namespace {

TEST_F(ComboBoxTest, ItemHintsShowOverTheirItemsAndTheBoxShowsTheHintOfItsText) {
  QComboBox* qt = ControlAccess::WidgetAs<QComboBox>(combo);
  combo->Items->Add("COM3");
  combo->Items->Add("COM4");
  combo->SetItemHint(0, "/dev/ttyUSB0 · FTDI");
  combo->SetItemHint(1, "/dev/ttyUSB1 · CH340");
  EXPECT_EQ(combo->ItemHint(1), String("/dev/ttyUSB1 · CH340"));
  EXPECT_EQ(qt->itemData(0, Qt::ToolTipRole).toString(), QString::fromUtf8("/dev/ttyUSB0 · FTDI"));
  EXPECT_EQ(qt->toolTip(), QString()) << "the text COM1 names no item";

  combo->ItemIndex = 1;
  EXPECT_EQ(qt->toolTip(), QString::fromUtf8("/dev/ttyUSB1 · CH340"));
  combo->Text = "COM3";  // typed
  EXPECT_EQ(qt->toolTip(), QString::fromUtf8("/dev/ttyUSB0 · FTDI"));
  combo->Text = "COM9";
  EXPECT_EQ(qt->toolTip(), QString());

  // A hint of the box's own wins.
  combo->Hint = "port";
  combo->ShowHint = true;
  combo->Text = "COM4";
  EXPECT_EQ(qt->toolTip(), QString("port"));
  EXPECT_THROW(combo->SetItemHint(2, "x"), EStringListError);
  EXPECT_THROW(combo->ItemHint(-1), EStringListError);
}

}  // namespace
