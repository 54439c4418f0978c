#include "PanelLanguage.h"

#include <algorithm>

#include "DevicePanel.h"
#include "MenuItems.h"
#include "SettingsFile.h"

namespace {

// The choices, each with its caption: a language's own name is the same in
// every language, so that a reader of it finds it.
const struct {
  const char* Language;
  const char* Caption;
  bool Translated;
} kChoices[] = {{"", TR_MARK("Language", "自动"), true}, {"zh_CN", "中文", false}, {"en", "English", false}};

// One choice for the window, shared by both panels' menus.
String g_Chosen;
std::vector<PanelLanguage*> g_Menus;

bool IsChoice(const String& Language) {
  return std::any_of(std::begin(kChoices), std::end(kChoices),
                     [&](const auto& choice) { return Language == String(choice.Language); });
}

}  // namespace

String PanelLanguage::Remembered() {
  const String language = SettingsFile::ReadWindowChoice(kIdent);
  return IsChoice(language) ? language : String();
}

PanelLanguage::PanelLanguage(DevicePanel& Panel)
    : PanelFeature(Panel), Menu(NewItem(Panel.Owner, Tr("Language", "语言"), 0, nullptr)) {
  for (const auto& choice : kChoices) {
    const String language = choice.Language;
    Items.push_back(NewRadioItem(Panel.Owner, Menu,
                                 choice.Translated ? TrText("Language", choice.Caption) : String(choice.Caption),
                                 [this, language](TObject*) { Choose(language); }));
  }
  AddMenuItems(Panel.Owner, Panel.Memo, {Menu});
  // A new window starts from no choice, until its settings are read.
  if (g_Menus.empty()) g_Chosen = String();
  g_Menus.push_back(this);
  ShowState();
}

PanelLanguage::~PanelLanguage() { std::erase(g_Menus, this); }

String PanelLanguage::Chosen() { return g_Chosen; }

void PanelLanguage::Choose(const String& Language) {
  if (!IsChoice(Language) || Language == g_Chosen) {
    ShowState();
    return;
  }
  g_Chosen = Language;
  for (PanelLanguage* menu : g_Menus) menu->ShowState();
  Panel.ChoicesChanged();
  if (LanguageFor(Language) != LanguageInUse()) ShowMessage(Tr("Language", "新的语言在下次启动本程序时生效。"));
}

void PanelLanguage::ShowState() {
  for (size_t i = 0; i < Items.size(); ++i) Items[i]->Checked = g_Chosen == String(kChoices[i].Language);
}

void PanelLanguage::LoadChoices(TIniFile& Ini, const String&) {
  const String language = Ini.ReadString(SettingsFile::kWindowSection, kIdent, "");
  g_Chosen = IsChoice(language) ? language : String();
  for (PanelLanguage* menu : g_Menus) menu->ShowState();
}

void PanelLanguage::SaveChoices(TIniFile& Ini, const String&) const {
  Ini.WriteString(SettingsFile::kWindowSection, kIdent, g_Chosen);
}
