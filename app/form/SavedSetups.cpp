#include "SavedSetups.h"

#include "FileErrorText.h"
#include "MenuItems.h"
#include "SavedFiles.h"
#include "SetupText.h"
#include "SmallFiles.h"

namespace {

const char* const kFilter = "Kestrix setups (*.ini)|*.ini|All files (*)|*";

// Writes Text to FileName whole, replacing it; the Win32 error when not.
DWORD WriteWorkFile(const String& FileName, const std::string& Text) {
  const HANDLE hFile = CreateFileA(FileName.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  if (hFile == INVALID_HANDLE_VALUE) return GetLastError();
  DWORD dwWritten = 0;
  const BOOL bWritten = WriteFile(hFile, Text.data(), static_cast<DWORD>(Text.size()), &dwWritten, nullptr);
  const DWORD dwError = bWritten && dwWritten == Text.size() ? ERROR_SUCCESS : GetLastError();
  CloseHandle(hFile);
  return dwError;
}

void TellRefused(const String& FileName, int Line, const String& Why) {
  ShowMessage(
      Fill(Tr("Setups", "配置文件 %1 第 %2 行无法使用：%3。当前设置未改变。"), {FileName, IntToStr(Line), Why}));
}

}  // namespace

SavedSetups::SavedSetups(TForm* Owner, const std::unique_ptr<DevicePanel> (&Panels)[2], SettingsFile& Settings)
    : _Panels(Panels), _Settings(Settings) {
  for (int i = 0; i < 2; ++i) {
    SaveItems[i] = NewItem(Owner, Tr("Setups", "保存配置…"), 0, [this](TObject*) { AskAndSave(); });
    LoadItems[i] = NewItem(Owner, Tr("Setups", "载入配置…"), 0, [this](TObject*) { AskAndLoad(); });
    AddMenuItems(Owner, Panels[i]->Group, {SaveItems[i], LoadItems[i]});
  }
}

String SavedSetups::WorkFileName() {
  const String settings = SettingsFile::FileName();
  return settings.IsEmpty() ? String() : settings + ".setup";
}

void SavedSetups::AskAndSave() {
  TSaveDialog dialog(nullptr);
  dialog.Title = Tr("Setups", "保存配置");
  dialog.Filter = kFilter;
  dialog.FileName = "kestrix-setup.ini";
  if (dialog.Execute()) Save(dialog.FileName);
}

void SavedSetups::AskAndLoad() {
  TOpenDialog dialog(nullptr);
  dialog.Title = Tr("Setups", "载入配置");
  dialog.Filter = kFilter;
  if (dialog.Execute()) Load(dialog.FileName);
}

bool SavedSetups::Save(const String& FileName) {
  const String work = WorkFileName();
  std::string text;
  DWORD dwError = work.IsEmpty() ? ERROR_PATH_NOT_FOUND : WriteWorkFile(work, std::string());
  if (dwError == ERROR_SUCCESS) {
    TIniFile ini(work);
    _Settings.SaveInto(ini);
    if (!ini.UpdateFile()) dwError = ERROR_WRITE_FAULT;
  }
  if (dwError == ERROR_SUCCESS) dwError = ReadSmallFile(work, text, kLargestSetup);
  if (dwError == ERROR_SUCCESS) dwError = SaveWholeFile(FileName, std::move(text));
  if (dwError != ERROR_SUCCESS) TellCannotSave(FileName, dwError);
  return dwError == ERROR_SUCCESS;
}

bool SavedSetups::Load(const String& FileName) {
  std::string text;
  const DWORD dwError = ReadSmallFile(FileName, text, kLargestSetup);
  if (dwError != ERROR_SUCCESS) {
    TellRefused(FileName, 1, FileErrorText(dwError));
    return false;
  }
  const SetupCheck check = CheckSetupText(text);
  if (!check.Passed()) {
    TellRefused(FileName, check.Line, check.Why);
    return false;
  }
  const String work = WorkFileName();
  const DWORD dwCopied = work.IsEmpty() ? ERROR_PATH_NOT_FOUND : WriteWorkFile(work, text);
  if (dwCopied != ERROR_SUCCESS) {
    TellRefused(FileName, 1, FileErrorText(dwCopied));
    return false;
  }
  TIniFile ini(work);
  if (ini.Damaged) {
    TellRefused(FileName, 1, Tr("Setups", "不是 INI 文件"));
    return false;
  }
  bool wasOpen[2];
  for (int i = 0; i < 2; ++i) {
    wasOpen[i] = _Panels[i]->PortOpen();
    if (wasOpen[i]) _Panels[i]->OpenOrClose();
  }
  _Settings.LoadFrom(ini);
  for (int i = 0; i < 2; ++i) {
    const String port = ini.ReadString(SettingsFile::Section(i), "Port", "").Trim();
    const bool there = port.IsEmpty() || _Panels[i]->Port->Text == port;
    if (!there) {
      ShowMessage(Fill(Tr("Setups", "配置中设备%1的串口 %2 不存在，该面板保持关闭。"), {IntToStr(i + 1), port}));
    } else if (wasOpen[i] && !port.IsEmpty()) {
      _Panels[i]->OpenOrClose();
    }
  }
  // The setup is the settings from now on.
  _Settings.Save();
  return true;
}
