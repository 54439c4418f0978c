// Child processes on posix_spawn. A process handle is a waitable object
// signalled when the child ends; a thread of this layer waits for that end
// (waitid, without reaping first, so that TerminateProcess never signals a
// process number that has been handed to another process), records the
// status and reaps the child. Only the standard handles reach the child:
// every other descriptor is closed in it.
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "command_line_words.h"
#include "io_object.h"

extern char** environ;

namespace platform {
namespace {

class ProcessObject : public Waitable {
 public:
  explicit ProcessObject(pid_t pid) : pid_(pid) {}
  bool isSignalled() const override { return ended_; }

  // On the waiting thread: until the child ends, then its status.
  void waitForEnd() {
    siginfo_t info{};
    int result;
    do result = ::waitid(P_PID, static_cast<id_t>(pid_), &info, WEXITED | WNOWAIT);
    while (result != 0 && errno == EINTR);
    DWORD code = 0;
    if (result == 0) code = info.si_code == CLD_EXITED ? static_cast<DWORD>(info.si_status) : 128 + info.si_status;
    {
      std::lock_guard<std::mutex> guard(killLock_);
      exited_ = true;
      if (terminated_) code = terminatedCode_;
    }
    ::waitpid(pid_, nullptr, 0);
    WaitLockGuard guard;
    exitCode_ = code;
    ended_ = true;
    notifyWaiters();
  }

  void terminate(DWORD code) {
    std::lock_guard<std::mutex> guard(killLock_);
    if (exited_ || terminated_) return;
    terminated_ = true;
    terminatedCode_ = code;
    ::kill(pid_, SIGKILL);
  }

  DWORD exitCode() const {
    WaitLockGuard guard;
    return ended_ ? exitCode_ : static_cast<DWORD>(STILL_ACTIVE);
  }

  pid_t pid() const { return pid_; }

 private:
  const pid_t pid_;
  std::mutex killLock_;  // guards the three below
  bool exited_ = false;
  bool terminated_ = false;
  DWORD terminatedCode_ = 0;
  // Under waitLock().
  bool ended_ = false;
  DWORD exitCode_ = 0;
};

bool IsRunnableFile(const std::string& path, bool mustRun) {
  struct stat status;
  if (::stat(path.c_str(), &status) != 0 || S_ISDIR(status.st_mode)) return false;
  return !mustRun || ::access(path.c_str(), X_OK) == 0;
}

// The full name of a file found as SearchPathA finds it; empty when none.
std::string FindFile(const char* folders, const std::string& name, const char* extension, bool mustRun) {
  std::vector<std::string> tries{name};
  if (extension != nullptr && *extension != '\0' && name.find('.', name.find_last_of('/') + 1) == std::string::npos)
    tries.push_back(name + extension);
  if (name.find('/') != std::string::npos) {
    for (const std::string& path : tries)
      if (IsRunnableFile(path, mustRun)) return path;
    return std::string();
  }
  const std::string list = folders != nullptr ? folders : (std::getenv("PATH") ? std::getenv("PATH") : "");
  size_t from = 0;
  while (from <= list.size()) {
    size_t end = list.find_first_of(";:", from);
    if (end == std::string::npos) end = list.size();
    std::string folder = list.substr(from, end - from);
    if (folder.empty()) folder = ".";
    for (const std::string& tried : tries) {
      const std::string path = folder + "/" + tried;
      if (IsRunnableFile(path, mustRun)) return path;
    }
    from = end + 1;
  }
  return std::string();
}

// The descriptor a standard handle stands for; -1 when none is given (the
// child then gets /dev/null), -2 when the handle is not one a child can have.
int StandardDescriptor(HANDLE handle, std::vector<std::shared_ptr<IoObject>>& keep) {
  if (handle == nullptr || handle == INVALID_HANDLE_VALUE) return -1;
  std::shared_ptr<IoObject> object = lookupHandleAs<IoObject>(handle);
  const int fd = object ? object->descriptor() : -1;
  if (fd < 0) return -2;
  keep.push_back(std::move(object));
  return fd;
}

}  // namespace
}  // namespace platform

using namespace platform;

BOOL WINAPI CreateProcessA(LPCSTR lpApplicationName, LPSTR lpCommandLine, LPSECURITY_ATTRIBUTES, LPSECURITY_ATTRIBUTES,
                           BOOL, DWORD dwCreationFlags, LPVOID lpEnvironment, LPCSTR lpCurrentDirectory,
                           LPSTARTUPINFOA lpStartupInfo, LPPROCESS_INFORMATION lpProcessInformation) {
  const std::vector<std::string> words = CommandLineWords(lpCommandLine != nullptr ? lpCommandLine : "");
  if ((words.empty() && lpApplicationName == nullptr) || lpStartupInfo == nullptr || lpProcessInformation == nullptr ||
      lpEnvironment != nullptr || (dwCreationFlags & ~static_cast<DWORD>(CREATE_NO_WINDOW)) != 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  const std::string program = lpApplicationName != nullptr ? FindFile(nullptr, lpApplicationName, nullptr, true)
                                                           : FindFile(nullptr, words[0], ".exe", true);
  if (program.empty()) {
    SetLastError(ERROR_FILE_NOT_FOUND);
    return FALSE;
  }

  std::vector<std::shared_ptr<IoObject>> keep;  // the standard handles' objects, alive through the spawn
  int standard[3] = {0, 1, 2};
  if (lpStartupInfo->dwFlags & STARTF_USESTDHANDLES) {
    const HANDLE given[3] = {lpStartupInfo->hStdInput, lpStartupInfo->hStdOutput, lpStartupInfo->hStdError};
    for (int i = 0; i < 3; ++i) {
      standard[i] = StandardDescriptor(given[i], keep);
      if (standard[i] == -2) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
      }
    }
  }

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  for (int i = 0; i < 3; ++i) {
    if (standard[i] == -1)
      posix_spawn_file_actions_addopen(&actions, i, "/dev/null", i == 0 ? O_RDONLY : O_WRONLY, 0);
    else if (standard[i] != i)
      posix_spawn_file_actions_adddup2(&actions, standard[i], i);
  }
  posix_spawn_file_actions_addclosefrom_np(&actions, 3);
  if (lpCurrentDirectory != nullptr) posix_spawn_file_actions_addchdir_np(&actions, lpCurrentDirectory);

  // The child starts with every signal at its default and none blocked
  // (this process ignores SIGPIPE), in a process group of its own, so that
  // a Ctrl+C meant for this program's terminal does not reach it.
  posix_spawnattr_t attributes;
  posix_spawnattr_init(&attributes);
  sigset_t all, none;
  sigfillset(&all);
  sigemptyset(&none);
  posix_spawnattr_setsigdefault(&attributes, &all);
  posix_spawnattr_setsigmask(&attributes, &none);
  posix_spawnattr_setpgroup(&attributes, 0);
  posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETPGROUP);

  std::vector<char*> argv;
  std::vector<std::string> arguments = words.empty() ? std::vector<std::string>{program} : words;
  for (std::string& word : arguments) argv.push_back(word.data());
  argv.push_back(nullptr);
  pid_t pid = -1;
  const int failed = ::posix_spawn(&pid, program.c_str(), &actions, &attributes, argv.data(), environ);
  posix_spawnattr_destroy(&attributes);
  posix_spawn_file_actions_destroy(&actions);
  if (failed != 0) {
    SetLastError(failed == ENOENT || failed == EACCES || failed == ENOEXEC ? ERROR_FILE_NOT_FOUND
                                                                           : errorFromErrno(failed));
    return FALSE;
  }

  auto process = std::make_shared<ProcessObject>(pid);
  std::thread([process] { process->waitForEnd(); }).detach();
  lpProcessInformation->hProcess = insertHandle(process);
  lpProcessInformation->hThread = insertHandle(process);
  lpProcessInformation->dwProcessId = static_cast<DWORD>(pid);
  lpProcessInformation->dwThreadId = static_cast<DWORD>(pid);
  SetLastError(ERROR_SUCCESS);
  return TRUE;
}

BOOL WINAPI TerminateProcess(HANDLE hProcess, UINT uExitCode) {
  std::shared_ptr<ProcessObject> process = requireHandle<ProcessObject>(hProcess);
  if (!process) return FALSE;
  process->terminate(uExitCode);
  return TRUE;
}

BOOL WINAPI GetExitCodeProcess(HANDLE hProcess, LPDWORD lpExitCode) {
  std::shared_ptr<ProcessObject> process = requireHandle<ProcessObject>(hProcess);
  if (!process || lpExitCode == nullptr) {
    if (process) SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  *lpExitCode = process->exitCode();
  return TRUE;
}

DWORD WINAPI SearchPathA(LPCSTR lpPath, LPCSTR lpFileName, LPCSTR lpExtension, DWORD nBufferLength, LPSTR lpBuffer,
                         LPSTR* lpFilePart) {
  if (lpFileName == nullptr || *lpFileName == '\0') {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  const std::string found = FindFile(lpPath, lpFileName, lpExtension, false);
  if (found.empty()) {
    SetLastError(ERROR_FILE_NOT_FOUND);
    return 0;
  }
  if (lpBuffer == nullptr || nBufferLength <= found.size()) return static_cast<DWORD>(found.size() + 1);
  std::memcpy(lpBuffer, found.c_str(), found.size() + 1);
  if (lpFilePart) *lpFilePart = lpBuffer + found.find_last_of('/') + 1;
  SetLastError(ERROR_SUCCESS);
  return static_cast<DWORD>(found.size());
}
