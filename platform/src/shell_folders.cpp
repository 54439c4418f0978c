// The user's state folder and folder creation with parents, behind the
// shell's folder calls.
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "io_object.h"

namespace {

// $HOME, or the password database's home folder when HOME is unset or empty.
std::string HomeFolder() {
  const char* home = std::getenv("HOME");
  if (home != nullptr && *home != '\0') return home;
  const passwd* user = ::getpwuid(::getuid());
  return user != nullptr && user->pw_dir != nullptr ? user->pw_dir : "";
}

// The XDG state folder. A relative XDG_STATE_HOME is ignored, as the base
// directory rules say.
std::string StateFolder() {
  const char* state = std::getenv("XDG_STATE_HOME");
  if (state != nullptr && state[0] == '/') return state;
  const std::string home = HomeFolder();
  return home.empty() ? "" : home + "/.local/state";
}

bool IsFolder(const std::string& path) {
  struct stat status;
  return ::stat(path.c_str(), &status) == 0 && S_ISDIR(status.st_mode);
}

// Each folder from the root down to `path`: /a, /a/b, /a/b/c.
std::vector<std::string> FoldersOnTheWay(const std::string& path) {
  std::vector<std::string> levels;
  for (size_t end = 1; end <= path.size(); ++end)
    if ((end == path.size() || path[end] == '/') && path[end - 1] != '/') levels.push_back(path.substr(0, end));
  return levels;
}

}  // namespace

HRESULT WINAPI SHGetFolderPathA(HWND, int csidl, HANDLE, DWORD, LPSTR pszPath) {
  if (pszPath == nullptr || csidl != CSIDL_LOCAL_APPDATA) return E_INVALIDARG;
  std::string folder = StateFolder();
  while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
  if (folder.empty() || folder.size() >= MAX_PATH) {
    pszPath[0] = '\0';
    return E_FAIL;
  }
  std::memcpy(pszPath, folder.c_str(), folder.size() + 1);
  return S_OK;
}

// New folders are the user's own (0700), as the base directory rules ask of
// the user's state folders.
int WINAPI SHCreateDirectoryExA(HWND, LPCSTR pszPath, LPSECURITY_ATTRIBUTES) {
  if (pszPath == nullptr || pszPath[0] != '/') return ERROR_BAD_PATHNAME;
  const std::vector<std::string> levels = FoldersOnTheWay(pszPath);
  bool createdLast = false;
  for (size_t i = 0; i < levels.size(); ++i) {
    createdLast = ::mkdir(levels[i].c_str(), 0700) == 0;
    if (createdLast) continue;
    const int error = errno;
    if (error == EEXIST && IsFolder(levels[i])) continue;
    if (error == EEXIST) return i + 1 == levels.size() ? ERROR_FILE_EXISTS : ERROR_PATH_NOT_FOUND;
    if (error == ENOENT || error == ENOTDIR) return ERROR_PATH_NOT_FOUND;
    return static_cast<int>(platform::errorFromErrno(error));
  }
  return createdLast ? ERROR_SUCCESS : ERROR_ALREADY_EXISTS;
}
