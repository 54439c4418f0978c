// Each panel's choices remembered between runs in one INI file in the
// user's config folder: its line settings, switches, send text, options and
// history. Without a file the panels keep their described defaults; a
// damaged file is ignored (and logged once); values that make no sense are
// skipped one by one.
#include <LogRecordLines.h>
#include <cxLog.h>

#include <algorithm>
#include <initializer_list>

#include "Unit1.h"

namespace {

constexpr const char* kEndingNames[] = {"none", "cr", "lf", "crlf"};
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

// A baud rate may be any number the user typed, not only a listed one.
bool IsBaudText(const String& Text) { return Text.Trim().ToIntDef(0) > 0; }

String HistorySection(int Index) { return TForm1::SettingsSection(Index) + ".History"; }

}  // namespace

String TForm1::SettingsFileName() {
  const String folder = UserConfigFolder();
  return folder.IsEmpty() ? String() : folder + "/kestrix/kestrix.ini";
}

String TForm1::SettingsSection(int Index) { return "Device" + IntToStr(Index + 1); }

void TForm1::LoadSettings() {
  const String fileName = SettingsFileName();
  if (fileName.IsEmpty()) return;
  Settings = std::make_unique<TIniFile>(fileName);
  if (Settings->Damaged)
    LogSettingsProblem(LogRecordLine::kSettingsDamaged, "Settings file " + fileName + " is damaged: ignored, kept as " +
                                                            fileName + ".damaged; the defaults apply");

  TIniFile& ini = *Settings;
  for (int i = 0; i < 2; ++i) {
    const String section = SettingsSection(i);
    PanelWidgets& panel = Panels[i];

    // A remembered port that is not there now leaves the one discovery chose.
    const String port = ini.ReadString(section, "Port", "");
    if (IsItem(panel.Port, port)) panel.Port->ItemIndex = panel.Port->Items->IndexOf(port);
    const String baud = ini.ReadString(section, "Baud", "");
    if (IsBaudText(baud)) panel.Baud->Text = baud.Trim();
    for (auto [box, key] : {std::pair{panel.Parity, "Parity"}, std::pair{panel.DataBits, "DataBits"},
                            std::pair{panel.StopBits, "StopBits"}}) {
      const String value = ini.ReadString(section, key, "");
      if (IsItem(box, value)) box->Text = value;
    }
    panel.Hex->Checked = ini.ReadBool(section, "Hex", panel.Hex->Checked);
    panel.Auto->Checked = ini.ReadBool(section, "Auto", panel.Auto->Checked);
    if (ini.ValueExists(section, "SendText")) {
      const String text = ini.ReadString(section, "SendText", "");
      if (AnsiString(text).Length() <= kSendTextLimit) panel.Edit->Text = text;
    }

    PanelOptions& options = Options[i];
    options.TimeStamps = ini.ReadBool(section, "TimeStamps", options.TimeStamps);
    const String ending = ini.ReadString(section, "LineEnding", "");
    for (int e = 0; e < 4; ++e)
      if (ending == kEndingNames[e]) options.Ending = static_cast<LineEnding>(e);
    const int ticks = PeriodTicksFromMilliseconds(IntToStr(ini.ReadInteger(section, "AutoPeriodMs", 0)));
    if (ticks != 0) options.AutoPeriodTicks = ticks;

    std::vector<String> texts;
    const String history = HistorySection(i);
    const int count = std::clamp(ini.ReadInteger(history, "Count", 0), 0, SendHistory::kLimit);
    for (int n = 1; n <= count; ++n) {
      const String text = ini.ReadString(history, IntToStr(n), "");
      if (!text.IsEmpty()) texts.push_back(text);
    }
    History[i].Assign(texts);
    ModemLines[i].Dtr = ini.ReadBool(section, "DTR", ModemLines[i].Dtr);
    ModemLines[i].Rts = ini.ReadBool(section, "RTS", ModemLines[i].Rts);
    UpdateMenuItems(i);
    ShowPanelOptions(i);
  }
}

void TForm1::SaveSettings() {
  if (!Settings) return;
  TIniFile& ini = *Settings;
  for (int i = 0; i < 2; ++i) {
    const String section = SettingsSection(i);
    PanelWidgets& panel = Panels[i];
    ini.WriteString(section, "Port", panel.Port->Text);
    ini.WriteString(section, "Baud", panel.Baud->Text);
    ini.WriteString(section, "Parity", panel.Parity->Text);
    ini.WriteString(section, "DataBits", panel.DataBits->Text);
    ini.WriteString(section, "StopBits", panel.StopBits->Text);
    ini.WriteBool(section, "Hex", panel.Hex->Checked);
    ini.WriteBool(section, "Auto", panel.Auto->Checked);
    ini.WriteString(section, "SendText", panel.Edit->Text);
    const PanelOptions& options = Options[i];
    ini.WriteBool(section, "TimeStamps", options.TimeStamps);
    ini.WriteString(section, "LineEnding", kEndingNames[static_cast<int>(options.Ending)]);
    ini.WriteInteger(section, "AutoPeriodMs", options.AutoPeriodTicks * 100);
    ini.WriteBool(section, "DTR", ModemLines[i].Dtr);
    ini.WriteBool(section, "RTS", ModemLines[i].Rts);

    const String history = HistorySection(i);
    ini.EraseSection(history);
    const auto& texts = History[i].Texts();
    ini.WriteInteger(history, "Count", static_cast<int>(texts.size()));
    for (size_t n = 0; n < texts.size(); ++n) ini.WriteString(history, IntToStr(static_cast<int>(n + 1)), texts[n]);
  }
  if (!ini.UpdateFile() && !SettingsWriteFailed) {
    SettingsWriteFailed = true;
    LogSettingsProblem(LogRecordLine::kSettingsNotWritten,
                       "Settings file " + ini.FileName.Get() + " cannot be written; the settings are not remembered");
  }
}
