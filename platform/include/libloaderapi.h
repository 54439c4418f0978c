// Modules and their exports, as far as the program looks them up: calls
// that only some systems have are found by name at run time, and where
// GetProcAddress finds nothing the caller does without them. Declared where
// the Win32 headers have them, outside windows.h's usual set here.
#pragma once

#include <windows.h>

#define ERROR_MOD_NOT_FOUND 126L
#define ERROR_PROC_NOT_FOUND 127L

typedef INT_PTR(WINAPI* FARPROC)();

// The program itself (NULL) or "kernel32.dll", the module whose calls this
// layer stands for; NULL with ERROR_MOD_NOT_FOUND for any other name.
HMODULE WINAPI GetModuleHandleA(LPCSTR lpModuleName);
// The layer's exports beyond the Win32 API, by name (GetLastSerialOpenReport);
// NULL with ERROR_PROC_NOT_FOUND for any other name, and with
// ERROR_INVALID_HANDLE for a module GetModuleHandleA did not give.
FARPROC WINAPI GetProcAddress(HMODULE hModule, LPCSTR lpProcName);
