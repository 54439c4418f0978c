// Helpers shared by the platform tests.
#pragma once

#include <kestrix/platform_testing.h>
#include <windows.h>

#include <functional>
#include <memory>
#include <utility>

namespace platform_test {

// Long enough never to expire on a loaded machine; a wait that does expire
// means the awaited thing never happened.
constexpr DWORD kPatience = 20000;

// Runs `routine` on a thread of this layer and returns its handle (null on
// failure); the thread's identifier goes to *threadId when given.
inline HANDLE startThread(std::function<DWORD()> routine, DWORD* threadId = nullptr) {
  auto* owned = new std::function<DWORD()>(std::move(routine));
  HANDLE thread = CreateThread(
      nullptr, 0,
      [](LPVOID parameter) -> DWORD {
        std::unique_ptr<std::function<DWORD()>> body(static_cast<std::function<DWORD()>*>(parameter));
        return (*body)();
      },
      owned, 0, threadId);
  if (thread == nullptr) delete owned;
  return thread;
}

// Waits for the thread to end and returns its exit code; STILL_ACTIVE when it
// did not end in time.
inline DWORD finish(HANDLE thread) {
  DWORD code = STILL_ACTIVE;
  if (WaitForSingleObject(thread, kPatience) == WAIT_OBJECT_0) GetExitCodeThread(thread, &code);
  CloseHandle(thread);
  return code;
}

}  // namespace platform_test
