#include "ColorSchemeChoice.h"

#include "MenuItems.h"

namespace {

// How the settings file names the schemes, in the order of TColorScheme.
const char* const kSchemeNames[] = {"Classic", "Desktop", "Dark"};

}  // namespace

ColorSchemeChoice::ColorSchemeChoice(const Parts& Window) {
  TForm* form = Window.Form;
  Menus[0] = NewSchemeMenu(form);
  form->SystemMenu->Add(Menus[0]);
  for (int i = 0; i < 2; ++i) {
    Menus[i + 1] = NewSchemeMenu(form);
    // Beside the other choice of the window's own in the panel's menu.
    if (Window.Panels[i]->PopupMenu.Get() != nullptr)
      Window.Panels[i]->PopupMenu->Items->Add(Menus[i + 1]);
    else
      AddMenuItems(form, Window.Panels[i], {Menus[i + 1]});
  }
  ShowState();
}

TMenuItem* ColorSchemeChoice::NewSchemeMenu(TComponent* Owner) {
  auto* menu = new TMenuItem(Owner);
  menu->Caption = Tr("MainWindow", "配色");
  const char* const captions[kSchemes] = {TR_MARK("MainWindow", "经典"), TR_MARK("MainWindow", "跟随桌面"),
                                          TR_MARK("MainWindow", "深色")};
  for (int i = 0; i < kSchemes; ++i)
    NewRadioItem(Owner, menu, TrText("MainWindow", captions[i]),
                 [this, i](TObject*) { Set(static_cast<TColorScheme>(i)); });
  return menu;
}

void ColorSchemeChoice::Set(TColorScheme Scheme) {
  // The classic colours are the ones the window was made in: nothing to
  // draw afresh until another scheme has been in effect.
  if (Scheme != _Scheme || Scheme != GetColorScheme()) SetColorScheme(Scheme);
  _Scheme = Scheme;
  ShowState();
}

void ColorSchemeChoice::ShowState() {
  for (TMenuItem* menu : Menus)
    for (int i = 0; i < kSchemes; ++i) menu->Items[i]->Checked = i == _Scheme;
}

void ColorSchemeChoice::LoadChoices(TIniFile& Ini, const String& Section) {
  const String name = Ini.ReadString(Section, "ColorScheme", kSchemeNames[csClassic]).Trim();
  // A name not known leaves the designed colours.
  TColorScheme scheme = csClassic;
  for (int i = 0; i < kSchemes; ++i)
    if (name == kSchemeNames[i]) scheme = static_cast<TColorScheme>(i);
  Set(scheme);
}

void ColorSchemeChoice::SaveChoices(TIniFile& Ini, const String& Section) const {
  Ini.WriteString(Section, "ColorScheme", kSchemeNames[_Scheme]);
}
