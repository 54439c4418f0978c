#include "SettingsFile.h"

#include <LogRecordLines.h>
#include <cxLog.h>

#include <initializer_list>
#include <utility>

namespace {

constexpr int kSendTextLimit = 128;  // the send line's limit in ANSI bytes

void LogSettingsProblem(int nLine, const String& Message) {
  try {
    CxLog::Log("Unit1", nLine, 1, AnsiString(Message).c_str());
  } catch (...) {
    // The log is being torn down; the settings go on without it.
  }
}

bool IsItem(TComboBox* Box, const String& Text) {
  for (int i = 0; i < Box->Items->Count; ++i)
    if (Box->Items->Strings[i] == Text) return true;
  return false;
}

// "X (...)", as the parity items read in every language.
bool IsParityText(const String& Text) { return Text.Length() > 3 && Text.SubString(2, 2) == " ("; }

// A baud rate may be any number the user typed, not only a listed one.
bool IsBaudText(const String& Text) { return Text.Trim().ToIntDef(0) > 0; }

}  // namespace

SettingsFile::SettingsFile(const std::unique_ptr<DevicePanel> (&Panels)[2]) : _Panels(Panels) {}

String SettingsFile::FileName() {
  const String folder = UserConfigFolder();
  return folder.IsEmpty() ? String() : folder + "/kestrix/kestrix.ini";
}

String SettingsFile::Section(int Index) { return "Device" + IntToStr(Index + 1); }

std::unique_ptr<TIniFile> SettingsFile::Open() {
  const String fileName = FileName();
  if (fileName.IsEmpty()) return nullptr;
  auto ini = std::make_unique<TIniFile>(fileName);
  if (ini->Damaged)
    LogSettingsProblem(LogRecordLine::kSettingsDamaged, "Settings file " + fileName + " is damaged: ignored, kept as " +
                                                            fileName + ".damaged; the defaults apply");
  return ini;
}

String SettingsFile::ReadWindowChoice(const String& Ident) {
  const std::unique_ptr<TIniFile> ini = Open();
  return ini ? ini->ReadString(kWindowSection, Ident, "") : String();
}

void SettingsFile::Load() {
  _Ini = Open();
  if (_Ini) LoadFrom(*_Ini);
}

void SettingsFile::LoadFrom(TIniFile& Ini) {
  for (int i = 0; i < 2; ++i) {
    LoadWidgets(Ini, *_Panels[i], Section(i));
    for (const std::unique_ptr<PanelFeature>& feature : _Panels[i]->Features()) feature->LoadChoices(Ini, Section(i));
  }
  if (OnLoad) OnLoad(Ini);
}

void SettingsFile::LoadWidgets(TIniFile& ini, const DevicePanel& Panel, const String& Section) {
  // A remembered port that is not there now leaves the one discovery chose.
  const String port = ini.ReadString(Section, "Port", "");
  if (IsItem(Panel.Port, port)) Panel.Port->ItemIndex = Panel.Port->Items->IndexOf(port);
  const String baud = ini.ReadString(Section, "Baud", "");
  if (IsBaudText(baud)) Panel.Baud->Text = baud.Trim();
  for (auto [box, key] : {std::pair{Panel.Parity, "Parity"}, std::pair{Panel.DataBits, "DataBits"},
                          std::pair{Panel.StopBits, "StopBits"}}) {
    const String value = ini.ReadString(Section, key, "");
    if (IsItem(box, value)) {
      box->Text = value;
    } else if (box == Panel.Parity && IsParityText(value)) {
      // A parity remembered in another language: the item of its letter.
      for (int i = 0; i < box->Items->Count; ++i) {
        const String item = box->Items->Strings[i];
        if (item.SubString(1, 1) == value.SubString(1, 1)) box->Text = item;
      }
    }
  }
  Panel.Hex->Checked = ini.ReadBool(Section, "Hex", Panel.Hex->Checked);
  Panel.Auto->Checked = ini.ReadBool(Section, "Auto", Panel.Auto->Checked);
  if (ini.ValueExists(Section, "SendText")) {
    const String text = ini.ReadString(Section, "SendText", "");
    if (AnsiString(text).Length() <= kSendTextLimit) Panel.Edit->Text = text;
  }
}

void SettingsFile::Save() {
  if (!_Ini) return;
  SaveInto(*_Ini);
  if (!_Ini->UpdateFile() && !_bWriteFailed) {
    _bWriteFailed = true;
    LogSettingsProblem(LogRecordLine::kSettingsNotWritten,
                       "Settings file " + _Ini->FileName.Get() + " cannot be written; the settings are not remembered");
  }
}

void SettingsFile::SaveInto(TIniFile& Ini) {
  for (int i = 0; i < 2; ++i) {
    SaveWidgets(Ini, *_Panels[i], Section(i));
    for (const std::unique_ptr<PanelFeature>& feature : _Panels[i]->Features()) feature->SaveChoices(Ini, Section(i));
  }
  if (OnSave) OnSave(Ini);
}

void SettingsFile::SaveWidgets(TIniFile& ini, const DevicePanel& Panel, const String& Section) {
  ini.WriteString(Section, "Port", Panel.Port->Text);
  ini.WriteString(Section, "Baud", Panel.Baud->Text);
  ini.WriteString(Section, "Parity", Panel.Parity->Text);
  ini.WriteString(Section, "DataBits", Panel.DataBits->Text);
  ini.WriteString(Section, "StopBits", Panel.StopBits->Text);
  ini.WriteBool(Section, "Hex", Panel.Hex->Checked);
  ini.WriteBool(Section, "Auto", Panel.Auto->Checked);
  ini.WriteString(Section, "SendText", Panel.Edit->Text);
}
