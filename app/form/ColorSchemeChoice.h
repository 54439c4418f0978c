// The window's colour scheme (配色): 经典, the designed colours and the
// default; 跟随桌面, the desktop's own palette, light or dark; 深色, a dark
// palette. Chosen in the window's system menu or any panel's menu, in
// effect at once in the window, its panels and every window it opens, and
// remembered.
#pragma once

#include <toolkit/toolkit.h>

class ColorSchemeChoice {
 public:
  struct Parts {
    TForm* Form;
    TGroupBox* Panels[2];
  };
  explicit ColorSchemeChoice(const Parts& Window);
  ColorSchemeChoice(const ColorSchemeChoice&) = delete;
  ColorSchemeChoice& operator=(const ColorSchemeChoice&) = delete;

  TColorScheme Scheme() const { return _Scheme; }
  void Set(TColorScheme Scheme);

  void LoadChoices(TIniFile& Ini, const String& Section);
  void SaveChoices(TIniFile& Ini, const String& Section) const;

  static constexpr int kSchemes = 3;
  // The 配色 submenus: the system menu's, then the panels'; each holds the
  // schemes in the order of TColorScheme.
  TMenuItem* Menus[3] = {nullptr, nullptr, nullptr};

 private:
  TMenuItem* NewSchemeMenu(TComponent* Owner);
  void ShowState();

  TColorScheme _Scheme = csClassic;
};
