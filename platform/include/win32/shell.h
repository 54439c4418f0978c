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

// Opens a file or folder with the desktop's program for it (the "open"
// verb; lpOperation null or "open"), without waiting for that program.
// Greater than 32 on success; SE_ERR_FNF when lpFile does not exist,
// SE_ERR_NOASSOC when the desktop has no opener, SE_ERR_ACCESSDENIED for
// another verb or when it cannot be started.
#define SE_ERR_FNF 2
#define SE_ERR_ACCESSDENIED 5
#define SE_ERR_NOASSOC 31
#define SW_SHOWNORMAL 1
HINSTANCE WINAPI ShellExecuteA(HWND hwnd, LPCSTR lpOperation, LPCSTR lpFile, LPCSTR lpParameters, LPCSTR lpDirectory,
                               INT nShowCmd);
