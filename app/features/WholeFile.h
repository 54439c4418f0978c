// Writing a file in one go, as the features that save or export do.
#pragma once

#include <windows.h>

#include <string>

#include <toolkit/toolkit.h>

// Creates or replaces the file with the bytes. ERROR_SUCCESS, or the error
// of the call that failed (ERROR_DISK_FULL when fewer bytes were written).
DWORD WriteWholeFile(const String& FileName, const std::string& Bytes);
