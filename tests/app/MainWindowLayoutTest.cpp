#include "MainWindowTest.h"

namespace {

struct Expected {
  const char* name;
  TControl* control;
  int left, top, width, height;
};

void ExpectBounds(const Expected& e) {
  EXPECT_EQ(e.control->Left.Get(), e.left) << e.name;
  EXPECT_EQ(e.control->Top.Get(), e.top) << e.name;
  EXPECT_EQ(e.control->Width.Get(), e.width) << e.name;
  EXPECT_EQ(e.control->Height.Get(), e.height) << e.name;
}

std::vector<std::string> ItemsOf(TComboBox* box) {
  std::vector<std::string> items;
  for (int i = 0; i < box->Items->Count; ++i) items.push_back(String(box->Items->Strings[i]).Utf8());
  return items;
}

using MainWindowLayout = MainWindowTest;

TEST_F(MainWindowLayout, WindowIsAFixedCentredFormWithItsTitleAndClientSize) {
  CreateWindow();
  EXPECT_EQ(form->Caption.Get(), String("Duvrel   * Norblen"));
  EXPECT_EQ(form->ClientWidth.Get(), 848);
  EXPECT_EQ(form->ClientHeight.Get(), 419);
  EXPECT_EQ(form->BorderStyle.Get(), bsSingle);
  EXPECT_EQ(form->BorderIcons.Get(), static_cast<TBorderIcons>(biSystemMenu | biMinimize));
  EXPECT_EQ(form->Position.Get(), poScreenCenter);
}

TEST_F(MainWindowLayout, EveryWidgetSitsWhereTheFormPutsIt) {
  CreateWindow();
  TForm1* f = form;
  const Expected all[] = {
      {"Image1", f->Image1, 336, 0, 177, 36},
      {"GroupBox1", f->GroupBox1, 0, 31, 841, 180},
      {"GroupBox2", f->GroupBox2, 0, 216, 841, 180},
      {"StatusBar1", f->StatusBar1, 0, 400, 848, 19},
      {"Label2", f->Label2, 8, 15, 53, 13},
      {"Label4", f->Label4, 8, 44, 52, 13},
      {"Label6", f->Label6, 8, 73, 52, 13},
      {"Label7", f->Label7, 8, 101, 52, 13},
      {"Label8", f->Label8, 8, 130, 52, 13},
      {"Memo1", f->Memo1, 137, 13, 696, 125},
      {"Edit1", f->Edit1, 443, 147, 390, 21},
      {"Button2", f->Button2, 332, 145, 50, 25},
      {"ComboBox1", f->ComboBox1, 58, 11, 70, 24},
      {"ComboBox2", f->ComboBox2, 59, 41, 70, 24},
      {"Button1", f->Button1, 139, 145, 50, 25},
      {"Button4", f->Button4, 200, 145, 50, 25},
      {"CheckBox1", f->CheckBox1, 394, 149, 47, 17},
      {"RadioButton1", f->RadioButton1, 264, 149, 57, 17},
      {"ComboBox5", f->ComboBox5, 58, 73, 70, 24},
      {"ComboBox6", f->ComboBox6, 59, 99, 70, 24},
      {"ComboBox7", f->ComboBox7, 59, 126, 70, 24},
      {"Label3", f->Label3, 8, 14, 53, 13},
      {"Label5", f->Label5, 8, 43, 52, 13},
      {"Label9", f->Label9, 8, 72, 52, 13},
      {"Label10", f->Label10, 8, 101, 52, 13},
      {"Label11", f->Label11, 8, 130, 52, 13},
      {"Memo2", f->Memo2, 136, 10, 697, 125},
      {"Edit2", f->Edit2, 441, 146, 392, 21},
      {"Button5", f->Button5, 335, 144, 50, 25},
      {"ComboBox3", f->ComboBox3, 59, 10, 70, 24},
      {"ComboBox4", f->ComboBox4, 59, 41, 70, 24},
      {"Button6", f->Button6, 138, 144, 50, 25},
      {"Button7", f->Button7, 206, 144, 50, 25},
      {"CheckBox2", f->CheckBox2, 393, 148, 45, 17},
      {"RadioButton2", f->RadioButton2, 265, 148, 57, 17},
      {"ComboBox8", f->ComboBox8, 59, 75, 70, 24},
      {"ComboBox9", f->ComboBox9, 59, 99, 70, 24},
      {"ComboBox10", f->ComboBox10, 59, 126, 70, 24},
  };
  for (const Expected& e : all) ExpectBounds(e);
  for (TControl* c : {static_cast<TControl*>(f->Label2), static_cast<TControl*>(f->Memo1),
                      static_cast<TControl*>(f->Button1), static_cast<TControl*>(f->ComboBox7)})
    EXPECT_EQ(c->Parent.Get(), f->GroupBox1);
  for (TControl* c : {static_cast<TControl*>(f->Label11), static_cast<TControl*>(f->Memo2),
                      static_cast<TControl*>(f->Button6), static_cast<TControl*>(f->ComboBox10)})
    EXPECT_EQ(c->Parent.Get(), f->GroupBox2);
}

TEST_F(MainWindowLayout, BothPanelsStartClosedWithTheDefaultSettings) {
  CreateWindow();
  TForm1* f = form;
  EXPECT_EQ(f->GroupBox1->Caption.Get(), String("设备1"));
  EXPECT_EQ(f->GroupBox2->Caption.Get(), String("设备2"));
  for (TButton* open : {f->Button1, f->Button6}) EXPECT_EQ(open->Caption.Get(), String("打开"));
  for (TButton* send : {f->Button2, f->Button5}) EXPECT_EQ(send->Caption.Get(), String("发送"));
  for (TButton* clear : {f->Button4, f->Button7}) {
    EXPECT_EQ(clear->Caption.Get(), String("清空"));
    EXPECT_EQ(clear->Hint.Get(), String("清空接收区"));
  }
  for (TEdit* edit : {f->Edit1, f->Edit2}) {
    EXPECT_EQ(edit->Text.Get(), String("12345678"));
    EXPECT_EQ(edit->MaxLength.Get(), 128);
  }
  for (TMemo* memo : {f->Memo1, f->Memo2}) {
    EXPECT_EQ(MemoText(memo), "");
    EXPECT_EQ(memo->Color.Get(), clSilver);
  }
  for (TCheckBox* hex : {f->RadioButton1, f->RadioButton2}) {
    EXPECT_EQ(hex->Caption.Get(), String("16进制"));
    EXPECT_FALSE(hex->Checked.Get());
  }
  for (TCheckBox* autoSend : {f->CheckBox1, f->CheckBox2}) {
    EXPECT_EQ(autoSend->Caption.Get(), String("自动"));
    EXPECT_EQ(autoSend->Hint.Get(), String("自动发送周期为1秒"));
    EXPECT_FALSE(autoSend->Checked.Get());
  }
  EXPECT_EQ(f->Label2->Caption.Get(), String("串  口："));
  EXPECT_EQ(f->Label8->Caption.Get(), String("停止位："));
  EXPECT_EQ(ItemsOf(f->ComboBox2), (std::vector<std::string>{"150", "300", "600", "1200", "2400", "4800", "9600",
                                                             "19200", "38400", "57600", "115200", "230400", "460800",
                                                             "921600", "1000000", "1500000", "2000000", "3000000"}));
  EXPECT_EQ(ItemsOf(f->ComboBox8), (std::vector<std::string>{"N (无)", "O (奇)", "E (偶)", "M (标记)", "S (空格)"}));
  EXPECT_EQ(ItemsOf(f->ComboBox9), (std::vector<std::string>{"5", "6", "7", "8"}));
  EXPECT_EQ(ItemsOf(f->ComboBox10), (std::vector<std::string>{"1", "2"}));
  EXPECT_EQ(f->ComboBox4->Text.Get(), String("9600"));
  EXPECT_EQ(f->ComboBox5->Text.Get(), String("N (无)"));
  EXPECT_EQ(f->StatusBar1->Panels->Count.Get(), 4);
  const int widths[] = {150, 200, 200, 160};
  for (int i = 0; i < 4; ++i) EXPECT_EQ(f->StatusBar1->Panels->Items[i]->Width.Get(), widths[i]);
  EXPECT_FALSE(f->StatusBar1->Panels->Items[3]->Text.Get().IsEmpty()) << "the banner";
  EXPECT_TRUE(PortToPanel.empty());
}

TEST_F(MainWindowLayout, PortListsListTheMappedPortsInNumberOrder) {
  AddFarEnd(10);
  AddFarEnd(3);
  AddFarEnd(1);
  CreateWindow();
  const std::vector<std::string> expected = {"COM1", "COM3", "COM10"};
  EXPECT_EQ(ItemsOf(form->ComboBox1), expected);
  EXPECT_EQ(ItemsOf(form->ComboBox3), expected);
  EXPECT_EQ(form->ComboBox1->ItemIndex.Get(), 0);
  EXPECT_EQ(form->ComboBox3->ItemIndex.Get(), 1);
  EXPECT_EQ(form->ComboBox1->Text.Get(), String("COM1"));
  EXPECT_EQ(form->ComboBox3->Text.Get(), String("COM3"));
}

TEST_F(MainWindowLayout, OnePortLeavesDeviceTwoWithoutASelectionAndNoneLeavesBothEmpty) {
  AddFarEnd(4);
  CreateWindow();
  EXPECT_EQ(ItemsOf(form->ComboBox1), (std::vector<std::string>{"COM4"}));
  EXPECT_EQ(form->ComboBox1->ItemIndex.Get(), 0);
  EXPECT_EQ(form->ComboBox3->ItemIndex.Get(), -1);
  delete form;
  form = nullptr;

  SerialPortTest::TearDown();  // a fresh, empty ports folder

  SerialPortTest::SetUp();
  CreateWindow();
  EXPECT_EQ(form->ComboBox1->Items->Count.Get(), 0);
  EXPECT_EQ(form->ComboBox3->Items->Count.Get(), 0);
  EXPECT_EQ(form->ComboBox1->ItemIndex.Get(), -1);
  EXPECT_EQ(form->ComboBox3->ItemIndex.Get(), -1);
}

}  // namespace
