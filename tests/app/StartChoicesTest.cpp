// The command line's choices made in the window: the panels' boxes hold
// them, and --open opens each panel given a port as its button does.
#include "MainWindowTest.h"
#include "StartChoicesMade.h"

namespace {

using StartChoicesMade = MainWindowTest;

TEST_F(StartChoicesMade, ThePanelsTakeTheChoicesAndOpenOpensTheirPortsWithThem) {
  AddFarEnd(3);
  AddFarEnd(4);
  CreateWindow();
  StartChoices choices;
  choices.Panels[0] = {"COM3", "115200", "E (偶)", "7", "2"};
  choices.Panels[1] = {"COM4", "9600", std::nullopt, std::nullopt, std::nullopt};
  choices.Open = true;
  MakeStartChoices(*form, choices);

  EXPECT_EQ(form->ComboBox1->Text.Get(), String("COM3"));
  EXPECT_EQ(form->ComboBox2->Text.Get(), String("115200"));
  EXPECT_EQ(form->ComboBox5->Text.Get(), String("E (偶)"));
  EXPECT_EQ(form->ComboBox6->Text.Get(), String("7"));
  EXPECT_EQ(form->ComboBox7->Text.Get(), String("2"));
  EXPECT_EQ(form->ComboBox3->Text.Get(), String("COM4"));
  EXPECT_EQ(form->ComboBox8->Text.Get(), String("N (无)")) << "left as it starts";
  EXPECT_EQ(form->Button1->Caption.Get(), String("关闭"));
  EXPECT_EQ(form->Button6->Caption.Get(), String("关闭"));
  EXPECT_EQ(PortToPanel, (std::map<int, int>{{3, 0}, {4, 1}}));
  const DCB& dcb = form->Channels[0]._Dcb;
  EXPECT_EQ(dcb.BaudRate, 115200u);
  EXPECT_EQ(dcb.Parity, EVENPARITY);
  EXPECT_EQ(dcb.ByteSize, 7);
  EXPECT_EQ(dcb.StopBits, TWOSTOPBITS);
  EXPECT_EQ(form->Channels[1]._Dcb.BaudRate, 9600u);
  EXPECT_TRUE(Dialogs().empty());
}

TEST_F(StartChoicesMade, WithoutOpenNothingOpensAndAPortThatCannotOpenIsToldAsAClickTellsIt) {
  AddFarEnd(3);
  CreateWindow();
  StartChoices choices;
  choices.Panels[1].Port = "COM3";
  MakeStartChoices(*form, choices);
  EXPECT_EQ(form->ComboBox3->Text.Get(), String("COM3"));
  EXPECT_TRUE(PortToPanel.empty());

  choices.Panels[0].Port = "COM9";
  choices.Panels[1].Port = "COM3";
  choices.Open = true;
  MakeStartChoices(*form, choices);
  ASSERT_EQ(Dialogs().size(), 1u);
  EXPECT_EQ(Dialogs()[0].Text.Utf8().rfind("不能打开 COM9", 0), 0u) << Dialogs()[0].Text.Utf8();
  EXPECT_EQ(form->Button1->Caption.Get(), String("打开"));
  EXPECT_EQ(PortToPanel, (std::map<int, int>{{3, 1}})) << "the other panel still opens";
}

}  // namespace
