// The colour schemes: chosen in any of the three 配色 menus and remembered;
// the dark one keeps every text of the receive areas readable (contrast
// of 4.5:1 at least, computed) on every background they draw, the
// classic one gives back the designed colours exactly.
#include <QApplication>
#include <QWidget>

#include "MainWindowTest.h"
#include "TerminalEscapes.h"
#include "control_data.h"

namespace {

TColor Rgb(const QColor& c) { return static_cast<TColor>(c.red() | (c.green() << 8) | (c.blue() << 16)); }

// What the receive area's text area is drawn with: its background, and
// its text.
TColor MemoBackColor(TMemo* memo) {
  QWidget* area = ControlAccess::Data(memo).colorWidget;
  if (!area) area = ControlAccess::Widget(memo);
  return Rgb(area->palette().color(QPalette::Base));
}
TColor MemoTextColor(TMemo* memo) {
  QWidget* area = ControlAccess::Data(memo).colorWidget;
  if (!area) area = ControlAccess::Widget(memo);
  return Rgb(area->palette().color(QPalette::Text));
}

TMenuItem* SchemeItem(TMenuItem* menu, const char* caption) {
  for (int i = 0; i < menu->Count; ++i)
    if (menu->Items[i]->Caption.Get().Utf8() == caption) return menu->Items[i];
  return nullptr;
}

class ColorSchemes : public MainWindowTest {
 protected:
  void TearDown() override {
    SetColorScheme(csClassic);
    MainWindowTest::TearDown();
  }
  void Restart() {
    delete form;
    form = nullptr;
    CreateWindow();
    form->Show();
    ProcessMessagesFor(20);
  }
};

TEST_F(ColorSchemes, ChosenInAnyMenuShownInAllAndBackAfterARestart) {
  CreateWindow();
  form->Show();
  ProcessMessagesFor(20);
  const TColor classicBack = MemoBackColor(form->Memo1);
  const TColor classicForm = Rgb(ControlAccess::Widget(form)->palette().color(QPalette::Window));
  EXPECT_EQ(classicBack, ColorToRGB(clSilver)) << "a closed panel's receive area is silver";
  EXPECT_EQ(GetColorScheme(), csClassic);
  TMenuItem* panelMenu = MenuItem(form->GroupBox2, "配色");
  ASSERT_NE(panelMenu, nullptr);
  ASSERT_EQ(panelMenu->Count.Get(), 3);
  EXPECT_TRUE(SchemeItem(panelMenu, "经典")->Checked.Get());

  SchemeItem(panelMenu, "深色")->Click();
  ProcessMessagesFor(20);
  EXPECT_EQ(GetColorScheme(), csDark);
  EXPECT_TRUE(DarkColors());
  for (TMenuItem* menu : form->Colors->Menus) {
    EXPECT_TRUE(SchemeItem(menu, "深色")->Checked.Get());
    EXPECT_FALSE(SchemeItem(menu, "经典")->Checked.Get());
  }
  // The silver of a closed panel turns a dark grey; the text reads on it.
  for (TMemo* memo : {form->Memo1, form->Memo2}) {
    EXPECT_LT(ContrastRatio(MemoBackColor(memo), clBlack), 3.0) << "the receive area is dark";
    EXPECT_GE(ContrastRatio(MemoTextColor(memo), MemoBackColor(memo)), 4.5);
  }
  EXPECT_LT(ContrastRatio(Rgb(ControlAccess::Widget(form)->palette().color(QPalette::Window)), clBlack), 3.0);
  form->Settings->Save();

  Restart();
  EXPECT_EQ(GetColorScheme(), csDark);
  EXPECT_TRUE(SchemeItem(form->Colors->Menus[0], "深色")->Checked.Get());

  // Back to the classic scheme, the designed colours exactly.
  SchemeItem(form->Colors->Menus[0], "经典")->Click();
  ProcessMessagesFor(20);
  EXPECT_EQ(MemoBackColor(form->Memo1), classicBack);
  EXPECT_EQ(Rgb(ControlAccess::Widget(form)->palette().color(QPalette::Window)), classicForm);
  EXPECT_EQ(form->Memo1->Font->Color.Get(), clWindowText) << "the colour given is kept, not the one drawn";
}

// The desktop's theme turned dark while the program runs: Qt gives the
// application the new palette, as a theme change does, and the desktop
// scheme draws the program's own colours for it; the classic one does not
// follow.
TEST_F(ColorSchemes, TheDesktopSchemeFollowsTheDesktopsThemeAsItChanges) {
  CreateWindow();
  form->Show();
  ProcessMessagesFor(20);
  SchemeItem(form->Colors->Menus[0], "跟随桌面")->Click();
  ProcessMessagesFor(20);
  ASSERT_FALSE(DarkColors()) << "the test's desktop is light";
  EXPECT_EQ(MemoBackColor(form->Memo1), ColorToRGB(clSilver));

  QApplication::setPalette(QPalette(QColor(0x30, 0x30, 0x30)));
  ProcessMessagesFor(20);
  EXPECT_TRUE(DarkColors());
  EXPECT_LT(ContrastRatio(MemoBackColor(form->Memo1), clBlack), 3.0) << "the closed panel's silver turned dark";
  EXPECT_GE(ContrastRatio(MemoTextColor(form->Memo1), MemoBackColor(form->Memo1)), 4.5);

  SchemeItem(form->Colors->Menus[0], "经典")->Click();
  ProcessMessagesFor(20);
  QApplication::setPalette(QPalette(QColor(0x30, 0x30, 0x30)));
  ProcessMessagesFor(20);
  EXPECT_EQ(MemoBackColor(form->Memo1), ColorToRGB(clSilver)) << "the classic colours stay";
}

TEST_F(ColorSchemes, AnUnknownSchemeInTheFileLeavesTheDesignedColours) {
  CreateWindow();
  delete form;
  form = nullptr;
  TIniFile ini(SettingsFile::FileName());
  ini.WriteString("Window", "ColorScheme", "Purple");
  ASSERT_TRUE(ini.UpdateFile());
  Restart();
  EXPECT_EQ(GetColorScheme(), csClassic);
  EXPECT_TRUE(SchemeItem(form->Colors->Menus[1], "经典")->Checked.Get());
}

TEST(ColorSchemeContrast, EveryReceivedTextColourReadsOnEveryBackgroundOfTheDarkScheme) {
  SetColorScheme(csDark);
  // The backgrounds text is drawn on: the receive area, a closed panel's,
  // a bad byte's mark, and the terminal's eight background colours.
  std::vector<TColor> backs = {PlainBackColor(), BackColorInEffect(clSilver), BackColorInEffect(TColor(0xD8E4F0)),
                               BackColorInEffect(clWindow)};
  for (unsigned i = 0; i < 8; ++i) backs.push_back(BackColorInEffect(PaletteColour(i)));
  // The texts: the terminal's sixteen colours, sent, stamp and bad-byte
  // text, and text with no colour of its own.
  std::vector<TColor> texts = {clNavy, clGray, clMaroon, clBlack, clWindowText};
  for (unsigned i = 0; i < 16; ++i) texts.push_back(PaletteColour(i));
  for (TColor back : backs)
    for (TColor text : texts)
      EXPECT_GE(ContrastRatio(TextColorInEffect(text, back), back), 4.5)
          << std::hex << "text " << text << " on " << back;
  EXPECT_GE(ContrastRatio(PlainTextColor(), PlainBackColor()), 4.5);

  // The classic scheme draws every colour as given.
  SetColorScheme(csClassic);
  EXPECT_FALSE(DarkColors());
  EXPECT_EQ(TextColorInEffect(clGray, clWhite), clGray);
  EXPECT_EQ(BackColorInEffect(clSilver), clSilver);
  EXPECT_EQ(ColorToRGB(clWindow), clWhite);
  EXPECT_DOUBLE_EQ(ContrastRatio(clBlack, clWhite), 21.0);
}

}  // namespace
