// The receive area's font and zoom, each panel's own and remembered, and the
// fixed-width font of the hex dump and the link monitor's rows.
#include <QFontInfo>
#include <QWidget>

#include "MainWindowTest.h"
#include "PanelAppearance.h"
#include "control_data.h"

namespace {

bool FixedWidth(TControl* control) { return QFontInfo(ControlAccess::Widget(control)->font()).fixedPitch(); }

class Appearance : public MainWindowTest {
 protected:
  void SetUp() override {
    MainWindowTest::SetUp();
    AddFarEnd(1);
    AddFarEnd(2);
    CreateWindow();
    designedName = form->Memo1->Font->Name;
    designedHeight = form->Memo1->Font->Height;
  }
  void Restart() {
    form->Settings->Save();
    delete form;
    form = nullptr;
    CreateWindow();
  }
  PanelAppearance& Looks(int Index) { return FeatureOf<PanelAppearance>(Index); }
  String designedName;
  int designedHeight = 0;
};

TEST_F(Appearance, AChosenFontAndZoomAreThePanelsOwnAndComeBackAfterARestart) {
  EXPECT_EQ(designedHeight, -11) << "the designed font until another is chosen";
  QueueFontDialogAnswerForTesting("DejaVu Sans", -16);
  MenuItem(form->Memo1, "字体…")->Click();
  EXPECT_EQ(form->Memo1->Font->Name.Get(), String("DejaVu Sans"));
  EXPECT_EQ(form->Memo1->Font->Height.Get(), -16);
  EXPECT_EQ(form->Memo2->Font->Name.Get(), designedName);
  EXPECT_EQ(form->Memo2->Font->Height.Get(), designedHeight);

  MenuItem(form->Memo1, "放大")->Click();
  MenuItem(form->Memo1, "放大")->Click();
  EXPECT_EQ(Looks(0).ZoomPercent(), 125);
  EXPECT_EQ(form->Memo1->Font->Height.Get(), -20);
  MenuItem(form->Memo2, "缩小")->Click();
  EXPECT_EQ(Looks(1).ZoomPercent(), 90);
  EXPECT_EQ(form->Memo2->Font->Height.Get(), -10);  // 11 × 0.9, rounded
  EXPECT_EQ(form->Memo2->Font->Name.Get(), designedName);

  Restart();
  EXPECT_EQ(form->Memo1->Font->Name.Get(), String("DejaVu Sans"));
  EXPECT_EQ(form->Memo1->Font->Height.Get(), -20);
  EXPECT_EQ(Looks(0).ZoomPercent(), 125);
  EXPECT_EQ(form->Memo2->Font->Height.Get(), -10);

  // 原始大小 is the chosen font's own height, not the designed one's.
  MenuItem(form->Memo1, "原始大小")->Click();
  EXPECT_EQ(form->Memo1->Font->Height.Get(), -16);
  EXPECT_FALSE(Looks(0).ZoomResetItem->Enabled.Get());
  // A log view made later (keeping the whole session) takes the same font.
  form->Panels[0]->Receive->NeedLog(ReceiveArea::kLogKeepsAll, true);
  EXPECT_EQ(form->Panels[0]->Receive->Log()->Font->Name.Get(), String("DejaVu Sans"));
  EXPECT_EQ(form->Panels[0]->Receive->Log()->Font->Height.Get(), -16);
}

TEST_F(Appearance, ZoomKeysActInTheFocusedAreaAndStopAtTheEnds) {
  for (int i = 0; i < 2; ++i) {
    EXPECT_EQ(Looks(i).ZoomInItem->ShortCut.Get(), static_cast<TShortCut>(scCtrl | VK_OEM_PLUS));
    EXPECT_EQ(Looks(i).ZoomOutItem->ShortCut.Get(), static_cast<TShortCut>(scCtrl | VK_OEM_MINUS));
    EXPECT_EQ(Looks(i).ZoomResetItem->ShortCut.Get(), static_cast<TShortCut>(scCtrl | '0'));
    for (TMenuItem* item : {Looks(i).ZoomInItem, Looks(i).ZoomOutItem, Looks(i).ZoomResetItem})
      EXPECT_TRUE(item->ShortCutWhileFocused.Get()) << "two receive areas: the key is the focused one's";
  }
  for (int step = 0; step < 20; ++step) Looks(0).Zoom(-1);
  EXPECT_EQ(Looks(0).ZoomPercent(), 50);
  EXPECT_FALSE(Looks(0).ZoomOutItem->Enabled.Get());
  EXPECT_LE(form->Memo1->Font->Height.Get(), -4) << "never too small to see";
  for (int step = 0; step < 20; ++step) Looks(0).Zoom(1);
  EXPECT_EQ(Looks(0).ZoomPercent(), 300);
  EXPECT_FALSE(Looks(0).ZoomInItem->Enabled.Get());
  EXPECT_EQ(form->Memo1->Font->Height.Get(), -33);
}

TEST_F(Appearance, ACancelledDialogAndNonsenseInTheFileChangeNothing) {
  MenuItem(form->Memo1, "字体…")->Click();  // no answer queued: cancelled
  EXPECT_EQ(form->Memo1->Font->Name.Get(), designedName);
  EXPECT_EQ(Dialogs().back().Caption, String("接收区字体"));
  delete form;
  form = nullptr;
  TIniFile ini(SettingsFile::FileName());
  ini.WriteString("Device1", "FontName", "DejaVu Sans");
  ini.WriteInteger("Device1", "FontHeight", 90000);
  ini.WriteInteger("Device1", "Zoom", 133);
  ASSERT_TRUE(ini.UpdateFile());
  CreateWindow();
  EXPECT_EQ(form->Memo1->Font->Name.Get(), designedName);
  EXPECT_EQ(form->Memo1->Font->Height.Get(), designedHeight);
  EXPECT_EQ(Looks(0).ZoomPercent(), 100);
}

TEST_F(Appearance, TheHexDumpAndTheMonitorRowsAreFixedWidthWhateverFontIsChosen) {
  Looks(0).SetFont("Liberation Sans", -14);
  EXPECT_FALSE(FixedWidth(form->Memo1));
  MenuItem(form->Memo1, "十六进制+字符")->Click();
  TLogView* log = form->Panels[0]->Receive->Log();
  EXPECT_TRUE(FixedWidth(log));
  EXPECT_EQ(log->Font->Height.Get(), -14) << "the chosen size, in a fixed-width font";
  Looks(0).Zoom(1);
  EXPECT_TRUE(FixedWidth(log));
  EXPECT_EQ(log->Font->Height.Get(), -15);
  MenuItem(form->Memo1, "十六进制+字符")->Click();
  EXPECT_EQ(form->Memo1->Font->Name.Get(), String("Liberation Sans"));

  MenuItem(form->Memo2, "链路监视")->Click();
  TLogView* rows = nullptr;
  for (int i = 0; i < form->ComponentCount && !rows; ++i)
    if (auto* window = dynamic_cast<TForm*>(form->Components.Get(i)))
      for (int j = 0; j < window->ComponentCount && !rows; ++j)
        if (auto* view = dynamic_cast<TLogView*>(window->Components.Get(j));
            view && view->AccessibleName.Get() == String("链路记录"))
          rows = view;
  ASSERT_NE(rows, nullptr);
  EXPECT_TRUE(FixedWidth(rows));
}

}  // namespace
