#include "WholeFile.h"

DWORD WriteWholeFile(const String& FileName, const std::string& Bytes) {
  const HANDLE hFile =
      CreateFileA(FileName.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (hFile == INVALID_HANDLE_VALUE) return GetLastError();
  DWORD dwError = ERROR_SUCCESS;
  DWORD dwWritten = 0;
  if (!WriteFile(hFile, Bytes.data(), static_cast<DWORD>(Bytes.size()), &dwWritten, nullptr))
    dwError = GetLastError();
  else if (dwWritten != Bytes.size())
    dwError = ERROR_DISK_FULL;
  CloseHandle(hFile);
  return dwError;
}
