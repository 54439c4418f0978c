// Listing a folder's entries, moving, deleting and removing: what a file
// transfer needs to take received files into the folder chosen for them.
#pragma once

#include "win32/types.h"

#define MOVEFILE_REPLACE_EXISTING 0x00000001

struct WIN32_FIND_DATAA {
  DWORD dwFileAttributes;
  FILETIME ftCreationTime;
  FILETIME ftLastAccessTime;
  FILETIME ftLastWriteTime;
  DWORD nFileSizeHigh;
  DWORD nFileSizeLow;
  DWORD dwReserved0;
  DWORD dwReserved1;
  CHAR cFileName[MAX_PATH];
  CHAR cAlternateFileName[14];
};
typedef WIN32_FIND_DATAA* LPWIN32_FIND_DATAA;

// Lists a folder: lpFileName is the folder followed by "\*" or "/*" (only
// the whole listing is supported; another pattern is ERROR_INVALID_PARAMETER).
// "." and ".." are listed, as on Windows. A symbolic link is reported with
// FILE_ATTRIBUTE_REPARSE_POINT and the attributes of what it names.
// ERROR_FILE_NOT_FOUND for an empty folder, ERROR_PATH_NOT_FOUND for none.
HANDLE WINAPI FindFirstFileA(LPCSTR lpFileName, LPWIN32_FIND_DATAA lpFindFileData);
// FALSE with ERROR_NO_MORE_FILES after the last entry.
BOOL WINAPI FindNextFileA(HANDLE hFindFile, LPWIN32_FIND_DATAA lpFindFileData);
BOOL WINAPI FindClose(HANDLE hFindFile);

// Without MOVEFILE_REPLACE_EXISTING a file already at lpNewFileName stays
// and the move fails with ERROR_ALREADY_EXISTS (never replaced in a race).
// Moves within one file system only: across file systems the move fails
// with ERROR_NOT_SAME_DEVICE (nothing is copied).
BOOL WINAPI MoveFileExA(LPCSTR lpExistingFileName, LPCSTR lpNewFileName, DWORD dwFlags);
BOOL WINAPI DeleteFileA(LPCSTR lpFileName);
// The folder must be empty (ERROR_DIR_NOT_EMPTY otherwise).
BOOL WINAPI RemoveDirectoryA(LPCSTR lpPathName);
