// What a Win32 error of a file or port call means, in the window's language.
#pragma once

#include <windows.h>

#include <toolkit/toolkit.h>

String FileErrorText(DWORD dwError);
