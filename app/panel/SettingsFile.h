// Each panel's choices remembered between runs in one INI file in the
// user's config folder: its line settings, switches and send text, and what
// each of its features keeps (their LoadChoices and SaveChoices). Without a
// file the panels keep the defaults the window starts with; a damaged file is ignored
// (and logged once); values that make no sense are skipped one by one.
#pragma once

#include <functional>
#include <memory>
#include <vector>

#include "DevicePanel.h"

class SettingsFile {
 public:
  // The panels, as the form keeps them.
  explicit SettingsFile(const std::unique_ptr<DevicePanel> (&Panels)[2]);

  // The settings file; empty when there is no config folder.
  static String FileName();
  // The INI section of panel Index's settings: "Device1" or "Device2".
  static String Section(int Index);

  // The section of the choices that are the window's, not a panel's.
  static constexpr const char* kWindowSection = "Window";
  // A choice of the window read before the window is made (its language):
  // empty when none is remembered.
  static String ReadWindowChoice(const String& Ident);

  // Puts the remembered choices into the panels and their features.
  void Load();
  // Writes every panel's choices; a failure to write is logged once.
  void Save();

  // The choices of the window itself, read after the panels' and written
  // with them.
  std::function<void(TIniFile&)> OnLoad;
  std::function<void(TIniFile&)> OnSave;
  // The settings as the program holds them (written by Save); null when
  // there is no config folder.
  TIniFile* Current() const { return _Ini.get(); }
  // Puts the choices Ini holds into the panels, their features and the
  // window; writes them all into Ini.
  void LoadFrom(TIniFile& Ini);
  void SaveInto(TIniFile& Ini);

 private:
  // The settings file, a damaged one logged and put aside; null when there
  // is no config folder.
  static std::unique_ptr<TIniFile> Open();
  static void LoadWidgets(TIniFile& Ini, const DevicePanel& Panel, const String& Section);
  static void SaveWidgets(TIniFile& Ini, const DevicePanel& Panel, const String& Section);

  const std::unique_ptr<DevicePanel> (&_Panels)[2];
  std::unique_ptr<TIniFile> _Ini;
  bool _bWriteFailed = false;  // logged once
};
