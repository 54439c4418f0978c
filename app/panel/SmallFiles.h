// Reading a small file whole (an import, a saved setup).
#pragma once

#include <windows.h>

#include <string>

#include <toolkit/toolkit.h>

// The whole file into Text, or the Win32 error that kept it from being
// read: ERROR_FILE_TOO_LARGE past Limit bytes.
DWORD ReadSmallFile(const String& FileName, std::string& Text, DWORD Limit);
