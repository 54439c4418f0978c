// Threads of the program's own (made with CreateThread) and the window
// thread, where every control lives: a call such a thread has run there, as
// VCL's TThread::Synchronize runs it, and the window thread's wait for such
// a thread, which runs those calls meanwhile so that neither waits for the
// other for good.
#pragma once

#include <windows.h>

#include <functional>

class TThread {
 public:
  TThread() = delete;

  // Runs Method on the window thread and returns once it has run; on the
  // window thread it runs at once. From another thread the caller waits
  // while a message loop runs (or is about to) or the window thread waits
  // in WaitFor. False, with Method not run, when nothing will run it: no
  // loop runs, or the loop ended first. Whatever Method throws is shown as
  // an event handler's exception is.
  static bool Synchronize(const std::function<void()>& Method);

  // Window thread: waits until hThread (or any waitable handle) is
  // signalled or dwMilliseconds pass, running meanwhile the methods other
  // threads synchronize. WAIT_OBJECT_0, WAIT_TIMEOUT or WAIT_FAILED, as
  // WaitForSingleObject answers.
  static DWORD WaitFor(HANDLE hThread, DWORD dwMilliseconds);
};
