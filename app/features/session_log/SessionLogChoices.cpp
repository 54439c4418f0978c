#include "SessionLogChoices.h"

#include <shlobj.h>
#include <cstdio>
#include <string>

namespace {

void ReplaceAll(std::string& Text, const std::string& Name, const std::string& By) {
  for (size_t at = Text.find(Name); at != std::string::npos; at = Text.find(Name, at + By.size()))
    Text.replace(at, Name.size(), By);
}

}  // namespace

String DefaultSessionFolder() {
  char folder[MAX_PATH] = {};
  if (SHGetFolderPathA(nullptr, CSIDL_LOCAL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, folder) != S_OK)
    return "kestrix-sessions";  // no home: beside the program's working folder
  return String(folder) + "/kestrix/sessions";
}

String SessionLogChoices::FolderInUse() const {
  const String folder = Folder.Trim();
  return folder.IsEmpty() ? DefaultSessionFolder() : folder;
}

bool SessionLogChoices::PatternFits(const String& Pattern) {
  const String trimmed = Pattern.Trim();
  return !trimmed.IsEmpty() && trimmed.Utf8().find('/') == std::string::npos && trimmed.Utf8() != "." &&
         trimmed.Utf8() != "..";
}

String SessionFileName(const String& Pattern, const String& Port, const SYSTEMTIME& At) {
  char date[16];
  char time[16];
  std::snprintf(date, sizeof date, "%04u%02u%02u", At.wYear, At.wMonth, At.wDay);
  std::snprintf(time, sizeof time, "%02u%02u%02u", At.wHour, At.wMinute, At.wSecond);
  std::string name = Pattern.Trim().Utf8();
  ReplaceAll(name, "{port}", Port.Utf8());
  ReplaceAll(name, "{date}", date);
  ReplaceAll(name, "{time}", time);
  return String(std::move(name));
}

void SessionLogChoices::Load(TIniFile& Ini, const String& Section) {
  Folder = Ini.ReadString(Section, "SessionLogFolder", Folder);
  const String pattern = Ini.ReadString(Section, "SessionLogPattern", Pattern);
  if (PatternFits(pattern)) Pattern = pattern;
  const int size = Ini.ReadInteger(Section, "SessionLogSizeMiB", static_cast<int>(SizeMiB));
  if (size >= 0) SizeMiB = static_cast<unsigned>(size);
  Midnight = Ini.ReadBool(Section, "SessionLogMidnight", Midnight);
  AutoStart = Ini.ReadBool(Section, "SessionLogAutoStart", AutoStart);
  AlwaysStamp = Ini.ReadBool(Section, "SessionLogAlwaysStamp", AlwaysStamp);
}

void SessionLogChoices::Save(TIniFile& Ini, const String& Section) const {
  Ini.WriteString(Section, "SessionLogFolder", Folder);
  Ini.WriteString(Section, "SessionLogPattern", Pattern);
  Ini.WriteInteger(Section, "SessionLogSizeMiB", static_cast<int>(SizeMiB));
  Ini.WriteBool(Section, "SessionLogMidnight", Midnight);
  Ini.WriteBool(Section, "SessionLogAutoStart", AutoStart);
  Ini.WriteBool(Section, "SessionLogAlwaysStamp", AlwaysStamp);
}
