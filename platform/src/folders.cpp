// Folder listings, moves, deletes and folder removal on the POSIX calls.
#include <dirent.h>
#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string>

#include "io_object.h"

namespace platform {
namespace {

class FolderListing : public KernelObject {
 public:
  FolderListing(DIR* folder, std::string path) : folder_(folder), path_(std::move(path)) {}
  ~FolderListing() override { onClose(); }
  void onClose() override {
    std::lock_guard<std::mutex> guard(lock_);
    if (folder_ != nullptr) ::closedir(folder_);
    folder_ = nullptr;
  }
  bool closesWithCloseHandle() const override { return false; }  // FindClose

  // The next entry; false with ERROR_NO_MORE_FILES after the last.
  bool next(WIN32_FIND_DATAA* data) {
    std::lock_guard<std::mutex> guard(lock_);
    for (;;) {
      errno = 0;
      const dirent* entry = folder_ != nullptr ? ::readdir(folder_) : nullptr;
      if (entry == nullptr) {
        SetLastError(errno != 0 ? errorFromErrno(errno) : ERROR_NO_MORE_FILES);
        return false;
      }
      // A name that a MAX_PATH field cannot hold is left out.
      if (std::strlen(entry->d_name) >= MAX_PATH) continue;
      describe(entry->d_name, data);
      return true;
    }
  }

 private:
  void describe(const char* name, WIN32_FIND_DATAA* data) const {
    std::memset(data, 0, sizeof *data);
    std::strcpy(data->cFileName, name);
    const std::string full = path_ + "/" + name;
    struct stat link, target;
    const bool isLink = ::lstat(full.c_str(), &link) == 0 && S_ISLNK(link.st_mode);
    const bool known = ::stat(full.c_str(), &target) == 0;
    data->dwFileAttributes = known && S_ISDIR(target.st_mode) ? FILE_ATTRIBUTE_DIRECTORY : FILE_ATTRIBUTE_NORMAL;
    if (isLink) data->dwFileAttributes |= FILE_ATTRIBUTE_REPARSE_POINT;
    if (known && S_ISREG(target.st_mode)) {
      data->nFileSizeHigh = static_cast<DWORD>(static_cast<ULONGLONG>(target.st_size) >> 32);
      data->nFileSizeLow = static_cast<DWORD>(target.st_size);
    }
  }

  std::mutex lock_;
  DIR* folder_;
  const std::string path_;
};

}  // namespace
}  // namespace platform

using namespace platform;

HANDLE WINAPI FindFirstFileA(LPCSTR lpFileName, LPWIN32_FIND_DATAA lpFindFileData) {
  const std::string pattern = lpFileName != nullptr ? lpFileName : "";
  if (lpFindFileData == nullptr || pattern.size() < 2 || pattern.back() != '*' ||
      (pattern[pattern.size() - 2] != '/' && pattern[pattern.size() - 2] != '\\')) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return INVALID_HANDLE_VALUE;
  }
  std::string folder = pattern.substr(0, pattern.size() - 2);
  if (folder.empty()) folder = "/";
  DIR* listing = ::opendir(folder.c_str());
  if (listing == nullptr) {
    SetLastError(errno == ENOENT || errno == ENOTDIR ? ERROR_PATH_NOT_FOUND : errorFromErrno(errno));
    return INVALID_HANDLE_VALUE;
  }
  auto object = std::make_shared<FolderListing>(listing, folder);
  if (!object->next(lpFindFileData)) {
    SetLastError(ERROR_FILE_NOT_FOUND);
    return INVALID_HANDLE_VALUE;
  }
  return insertHandle(std::move(object));
}

BOOL WINAPI FindNextFileA(HANDLE hFindFile, LPWIN32_FIND_DATAA lpFindFileData) {
  std::shared_ptr<FolderListing> listing = requireHandle<FolderListing>(hFindFile);
  if (!listing) return FALSE;
  if (lpFindFileData == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  return listing->next(lpFindFileData) ? TRUE : FALSE;
}

BOOL WINAPI FindClose(HANDLE hFindFile) {
  std::shared_ptr<FolderListing> listing = lookupHandleAs<FolderListing>(hFindFile);
  if (!listing || !removeHandle(hFindFile)) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  listing->onClose();
  return TRUE;
}

BOOL WINAPI MoveFileExA(LPCSTR lpExistingFileName, LPCSTR lpNewFileName, DWORD dwFlags) {
  if (lpExistingFileName == nullptr || lpNewFileName == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  const unsigned flags = (dwFlags & MOVEFILE_REPLACE_EXISTING) ? 0 : RENAME_NOREPLACE;
  if (::renameat2(AT_FDCWD, lpExistingFileName, AT_FDCWD, lpNewFileName, flags) == 0) return TRUE;
  const int error = errno;
  SetLastError(error == EXDEV ? ERROR_NOT_SAME_DEVICE : error == EEXIST ? ERROR_ALREADY_EXISTS : errorFromErrno(error));
  return FALSE;
}

BOOL WINAPI DeleteFileA(LPCSTR lpFileName) {
  struct stat status;
  if (lpFileName != nullptr && ::lstat(lpFileName, &status) == 0 && S_ISDIR(status.st_mode)) {
    SetLastError(ERROR_ACCESS_DENIED);
    return FALSE;
  }
  if (lpFileName != nullptr && ::unlink(lpFileName) == 0) return TRUE;
  SetLastError(lpFileName == nullptr ? ERROR_INVALID_PARAMETER : errorFromErrno(errno));
  return FALSE;
}

BOOL WINAPI RemoveDirectoryA(LPCSTR lpPathName) {
  if (lpPathName != nullptr && ::rmdir(lpPathName) == 0) return TRUE;
  const int error = lpPathName == nullptr ? EINVAL : errno;
  SetLastError(error == ENOTEMPTY || error == EEXIST ? ERROR_DIR_NOT_EMPTY : errorFromErrno(error));
  return FALSE;
}
