// What a panel's session log is told to do: where its files go and how they
// are named, when a new file starts, whether it starts by itself when the
// port opens, and whether its lines are always stamped. Remembered with the
// panel's settings.
#pragma once

#include <windows.h>

#include <toolkit/toolkit.h>

struct SessionLogChoices {
  // Empty: the user's state folder's kestrix/sessions (DefaultFolder()).
  String Folder;
  // {port}, {date} (YYYYMMDD) and {time} (HHMMSS) are filled in.
  String Pattern = "{port}-{date}-{time}.log";
  unsigned SizeMiB = 0;      // a new file once one holds this much; 0 for never
  bool Midnight = true;      // a new file when the day changes
  bool AutoStart = false;    // starts when the port opens
  bool AlwaysStamp = false;  // every line stamped, whatever the panel shows

  // The folder the files go to.
  String FolderInUse() const;
  // A pattern that names a file in the folder: not empty, no '/'.
  static bool PatternFits(const String& Pattern);

  void Load(TIniFile& Ini, const String& Section);
  void Save(TIniFile& Ini, const String& Section) const;
};

// $XDG_STATE_HOME (or ~/.local/state) and kestrix/sessions.
String DefaultSessionFolder();

// The file name (without the folder) the pattern gives for Port at At.
String SessionFileName(const String& Pattern, const String& Port, const SYSTEMTIME& At);
