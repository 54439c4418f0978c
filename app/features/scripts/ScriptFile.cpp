#include "ScriptFile.h"

#include "SmallFiles.h"

DWORD ReadScriptFile(const std::string& FileName, std::string& Text) {
  return ReadSmallFile(String(FileName), Text, kLargestScript);
}

ScriptRun::Script ScriptOf(const std::string& Text, const std::string& FileName) {
  ScriptRun::Script script;
  script.Text.reserve(Text.size());
  for (size_t i = 0; i < Text.size(); ++i)
    if (!(Text[i] == '\r' && i + 1 < Text.size() && Text[i + 1] == '\n')) script.Text.push_back(Text[i]);
  const size_t slash = FileName.find_last_of("/\\");
  if (FileName.empty()) {
    script.Name = "untitled.lua";
  } else if (slash == std::string::npos) {
    script.Name = FileName;
  } else {
    script.Name = FileName.substr(slash + 1);
    script.Folder = slash == 0 ? "/" : FileName.substr(0, slash);
  }
  return script;
}
