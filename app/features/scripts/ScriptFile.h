// A script's file: read whole (a script is text of modest size), and the
// name and folder its messages and relative file names go by.
#pragma once

#include <windows.h>

#include <string>

#include "ScriptRun.h"

// Larger than any script; a file beyond it is refused.
constexpr DWORD kLargestScript = 4 * 1024 * 1024;

// The whole file, or the Win32 error that kept it from being read
// (ERROR_FILE_TOO_LARGE past kLargestScript).
DWORD ReadScriptFile(const std::string& FileName, std::string& Text);
// The script as a run takes it: its text with Windows line breaks made
// plain, named by the file's own name ("untitled.lua" when it has none),
// relative names taken from its folder.
ScriptRun::Script ScriptOf(const std::string& Text, const std::string& FileName);
