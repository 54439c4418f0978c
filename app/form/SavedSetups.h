// Named setups: 保存配置… writes both panels' choices (ports, line settings,
// every feature's choices, quick sends) and the window's into an INI file
// the user names; 载入配置… reads one back. Both are in each panel's menu.
//
// A setup is checked whole before anything of it is used: a file that
// cannot be read, or that breaks the rules of a setup (SetupText.h), is
// refused with the line it stopped at, and the settings stay as they were.
// The user's file is only read: it is copied to a file of the program's
// before the INI reader sees it. Panels open at the time are closed, the
// setup put in place, and opened again on the setup's port; a setup whose
// port is not there says so and leaves that panel closed.
#pragma once

#include <toolkit/toolkit.h>

#include "DevicePanel.h"
#include "SettingsFile.h"

class SavedSetups {
 public:
  SavedSetups(TForm* Owner, const std::unique_ptr<DevicePanel> (&Panels)[2], SettingsFile& Settings);

  // Asks for a file name, then saves or loads.
  void AskAndSave();
  void AskAndLoad();
  // True when the setup was written (a failure is told).
  bool Save(const String& FileName);
  // True when the setup was taken (a refusal is told).
  bool Load(const String& FileName);

  TMenuItem* SaveItems[2];
  TMenuItem* LoadItems[2];

 private:
  // The program's own copy of a setup being read or written.
  static String WorkFileName();

  const std::unique_ptr<DevicePanel> (&_Panels)[2];
  SettingsFile& _Settings;
};
