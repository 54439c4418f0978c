// The log folder: beside the executable while writable, otherwise in the
// user's state folder.
#include "cxLogFolder.h"

#include <shlobj.h>

#include <cstdio>
#include <cstring>
#include <string>

namespace {

const char kFolderName[] = "Log";
const char kStateSubfolder[] = "/kestrix/Log/";
const size_t kFileNameLength = sizeof "YYYYMM.log" - 1;

// Whether a file can be made in the folder (ending in '/'): a probe file is
// created and its name removed at once.
bool CanWriteIn(const std::string& folder) {
  char probeName[48];
  std::snprintf(probeName, sizeof probeName, ".kestrix-write-test-%lu",
                static_cast<unsigned long>(GetCurrentThreadId()));
  const std::string probe = folder + probeName;
  const HANDLE hProbe = CreateFileA(probe.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                    FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
  if (hProbe == INVALID_HANDLE_VALUE) return GetLastError() == ERROR_FILE_EXISTS;  // made by another writer
  CloseHandle(hProbe);
  return true;
}

// The folder Log beside the executable can hold the log: it is a folder that
// can be written, or it is missing from a folder that can be written.
bool CanUseFolderBeside(const std::string& executableFolder) {
  const std::string folder = executableFolder + kFolderName;
  const DWORD attributes = GetFileAttributesA(folder.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES)
    return GetLastError() == ERROR_FILE_NOT_FOUND && CanWriteIn(executableFolder);
  return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0 && CanWriteIn(folder + "/");
}

bool Fits(const std::string& folder, DWORD dwSize) { return folder.size() + kFileNameLength < dwSize; }

bool CopyOut(const std::string& folder, char* szFolder, DWORD dwSize) {
  if (!Fits(folder, dwSize)) return false;
  std::memcpy(szFolder, folder.c_str(), folder.size() + 1);
  return true;
}

}  // namespace

bool ChooseLogFolder(const char* szExecutableFolder, const char* szInstalledFolder, char* szFolder, DWORD dwSize) {
  const std::string besideExecutable = std::string(szExecutableFolder) + kFolderName + "/";
  const bool installed = std::strcmp(szExecutableFolder, szInstalledFolder) == 0;
  if (!installed && Fits(besideExecutable, dwSize) && CanUseFolderBeside(szExecutableFolder))
    return CopyOut(besideExecutable, szFolder, dwSize);
  char szState[MAX_PATH];
  if (SHGetFolderPathA(nullptr, CSIDL_LOCAL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, szState) == S_OK &&
      CopyOut(std::string(szState) + kStateSubfolder, szFolder, dwSize))
    return true;
  // No state folder to be had: beside the executable after all, where the
  // file opens will fail and the records wait in the queue.
  return CopyOut(besideExecutable, szFolder, dwSize);
}

std::string ModuleFolder(const char* szModulePath) {
  const char* lastSeparator = std::strrchr(szModulePath, '/');
  const char* lastBackslash = std::strrchr(szModulePath, '\\');
  if (lastSeparator == nullptr || (lastBackslash != nullptr && lastBackslash > lastSeparator))
    lastSeparator = lastBackslash;
  if (lastSeparator == nullptr) return std::string();
  return std::string(szModulePath, static_cast<size_t>(lastSeparator - szModulePath) + 1);
}

bool MakeLogFolder(const char* szFolder) {
  if (!CreateDirectoryA(szFolder, nullptr) && GetLastError() == ERROR_PATH_NOT_FOUND)
    SHCreateDirectoryExA(nullptr, szFolder, nullptr);
  // Whatever stood there before: it must be a folder now.
  const DWORD attributes = GetFileAttributesA(szFolder);
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}
