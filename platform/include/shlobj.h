// The shell's folder calls, where the Win32 headers declare them.
#pragma once

#include <windows.h>
