// ShellExecuteA's "open": the desktop's opener (xdg-open, or the program
// KESTRIX_OPENER names, as tests do) started in the background by a shell
// that returns at once, so that the caller never waits for it and leaves
// no child behind.
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "io_object.h"

extern char** environ;

HINSTANCE WINAPI ShellExecuteA(HWND /*hwnd*/, LPCSTR lpOperation, LPCSTR lpFile, LPCSTR /*lpParameters*/,
                               LPCSTR /*lpDirectory*/, INT /*nShowCmd*/) {
  const auto result = [](intptr_t Code) { return reinterpret_cast<HINSTANCE>(Code); };
  if (lpOperation != nullptr && std::strcmp(lpOperation, "open") != 0) return result(SE_ERR_ACCESSDENIED);
  struct stat info;
  if (lpFile == nullptr || ::stat(lpFile, &info) != 0) return result(SE_ERR_FNF);
  const char* opener = std::getenv("KESTRIX_OPENER");
  if (opener == nullptr || *opener == '\0') opener = "xdg-open";
  const char* script = "command -v \"$1\" >/dev/null 2>&1 || exit 127; \"$1\" \"$2\" >/dev/null 2>&1 </dev/null &";
  char* const argv[] = {const_cast<char*>("sh"),
                        const_cast<char*>("-c"),
                        const_cast<char*>(script),
                        const_cast<char*>("sh"),
                        const_cast<char*>(opener),
                        const_cast<char*>(lpFile),
                        nullptr};
  pid_t shell = 0;
  if (::posix_spawn(&shell, "/bin/sh", nullptr, nullptr, argv, environ) != 0) return result(SE_ERR_ACCESSDENIED);
  int status = 0;
  while (::waitpid(shell, &status, 0) < 0 && errno == EINTR) {
  }
  if (WIFEXITED(status) && WEXITSTATUS(status) == 127) return result(SE_ERR_NOASSOC);
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) return result(SE_ERR_ACCESSDENIED);
  return result(42);
}
