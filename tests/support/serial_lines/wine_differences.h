// Where Wine departs from what Windows documents for a call the program
// makes, a test that checks the documented behaviour is skipped under Wine,
// saying why; the platform layer on Linux keeps to the documentation.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

namespace serial_lines {

// True in a Windows program that Wine runs: Wine's ntdll exports its
// version, Windows' does not.
inline bool UnderWine() {
#ifdef _WIN32
  const HMODULE ntdll = GetModuleHandleA("ntdll.dll");
  return ntdll != nullptr && GetProcAddress(ntdll, "wine_get_version") != nullptr;
#else
  return false;
#endif
}

}  // namespace serial_lines

#define SKIP_WHERE_WINE_DIFFERS(why) \
  if (serial_lines::UnderWine()) GTEST_SKIP() << "Wine departs from Windows: " << why
