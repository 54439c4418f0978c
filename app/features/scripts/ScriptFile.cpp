#include "ScriptFile.h"

DWORD ReadScriptFile(const std::string& FileName, std::string& Text) {
  const HANDLE hFile = CreateFileA(FileName.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (hFile == INVALID_HANDLE_VALUE) return GetLastError();
  DWORD dwHigh = 0;
  const DWORD dwSize = GetFileSize(hFile, &dwHigh);
  DWORD dwError = ERROR_SUCCESS;
  if (dwHigh != 0 || dwSize > kLargestScript) {
    dwError = ERROR_FILE_TOO_LARGE;
  } else {
    Text.resize(dwSize);
    DWORD dwRead = 0;
    if (!ReadFile(hFile, Text.data(), dwSize, &dwRead, nullptr)) dwError = GetLastError();
    Text.resize(dwRead);
  }
  CloseHandle(hFile);
  return dwError;
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
