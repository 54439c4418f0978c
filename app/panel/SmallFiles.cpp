#include "SmallFiles.h"

DWORD ReadSmallFile(const String& FileName, std::string& Text, DWORD Limit) {
  const HANDLE hFile = CreateFileA(FileName.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (hFile == INVALID_HANDLE_VALUE) return GetLastError();
  DWORD dwHigh = 0;
  const DWORD dwSize = GetFileSize(hFile, &dwHigh);
  DWORD dwError = ERROR_SUCCESS;
  if (dwHigh != 0 || dwSize > Limit) {
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
