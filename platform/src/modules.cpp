// One module stands for all of this layer: the program and kernel32.dll
// are the same handle, and its exports beyond the Win32 API are listed here.
#include <strings.h>

#include <cstring>

#include <kestrix/serial_open_report.h>
#include <libloaderapi.h>
#include <windows.h>

namespace {

struct ModuleTag {
  int unused;
};
ModuleTag g_module;

HMODULE ThisModule() { return reinterpret_cast<HMODULE>(&g_module); }

}  // namespace

HMODULE WINAPI GetModuleHandleA(LPCSTR lpModuleName) {
  if (lpModuleName == nullptr || ::strcasecmp(lpModuleName, "kernel32.dll") == 0 ||
      ::strcasecmp(lpModuleName, "kernel32") == 0)
    return ThisModule();
  SetLastError(ERROR_MOD_NOT_FOUND);
  return nullptr;
}

FARPROC WINAPI GetProcAddress(HMODULE hModule, LPCSTR lpProcName) {
  if (hModule != ThisModule()) {
    SetLastError(ERROR_INVALID_HANDLE);
    return nullptr;
  }
  if (lpProcName != nullptr && std::strcmp(lpProcName, "GetLastSerialOpenReport") == 0)
    return reinterpret_cast<FARPROC>(reinterpret_cast<void*>(&GetLastSerialOpenReport));
  SetLastError(ERROR_PROC_NOT_FOUND);
  return nullptr;
}
