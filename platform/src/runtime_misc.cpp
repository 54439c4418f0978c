// Debugger output, COM initialisation and the runtime's assertion.
#include <cstdio>
#include <cstdlib>

#include <windows.h>

void WINAPI OutputDebugStringA(LPCSTR lpOutputString) {
  if (lpOutputString == nullptr) return;
  std::fputs(lpOutputString, stderr);
  std::fflush(stderr);
}

// There is no component object model here; the worker thread's
// initialisation succeeds with nothing to do.
HRESULT WINAPI CoInitialize(LPVOID) { return S_OK; }
void WINAPI CoUninitialize() {}

void _assert(const char* message, const char* file, unsigned line) {
  std::fprintf(stderr, "Assertion failed: %s, file %s, line %u\n", message, file, line);
  std::fflush(stderr);
  std::abort();
}
