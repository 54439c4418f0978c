// The window's language chosen in each receive area's context menu
// (语言: automatic, 中文, English) and remembered in the settings file's
// window section. The window is made in the language remembered; a new
// choice takes effect at the next start, which the user is told.
#pragma once

#include <vector>

#include "PanelFeature.h"

class PanelLanguage : public PanelFeature {
 public:
  // What the settings file keeps: "" for the desktop's language, else the
  // language's name ("zh_CN", "en").
  static constexpr const char* kIdent = "Language";
  static String Remembered();

  explicit PanelLanguage(DevicePanel& Panel);
  ~PanelLanguage() override;

  // Remembers Language for the next start; both panels' menus follow.
  void Choose(const String& Language);
  static String Chosen();

  void ShowState() override;
  void LoadChoices(TIniFile& Ini, const String& Section) override;
  void SaveChoices(TIniFile& Ini, const String& Section) const override;

  TMenuItem* const Menu;
  // Automatic, 中文, English, in that order.
  std::vector<TMenuItem*> Items;
};
