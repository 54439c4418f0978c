// The shell's folder calls: the user's own folders and creating a folder
// with all its parents.
#pragma once

#include "win32/types.h"

// The user's folder for what programs keep about their own running (logs,
// history): $XDG_STATE_HOME when that is an absolute path, otherwise
// $HOME/.local/state.
#define CSIDL_LOCAL_APPDATA 0x001c
#define SHGFP_TYPE_CURRENT 0

// Writes the folder (without a trailing slash, at most MAX_PATH bytes with
// its terminator) into pszPath. S_OK, E_INVALIDARG for another folder, or
// E_FAIL when the folder cannot be named (no home, or a path too long). The
// folder need not exist.
HRESULT WINAPI SHGetFolderPathA(HWND hwnd, int csidl, HANDLE hToken, DWORD dwFlags, LPSTR pszPath);

// Creates the folder pszPath and every missing folder on its way. Returns
// ERROR_SUCCESS, ERROR_ALREADY_EXISTS when the folder was there, or the
// error that stopped it (ERROR_ACCESS_DENIED, ERROR_PATH_NOT_FOUND when a
// file stands where a folder should, ...).
int WINAPI SHCreateDirectoryExA(HWND hwnd, LPCSTR pszPath, LPSECURITY_ATTRIBUTES psa);
