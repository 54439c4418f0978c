#include "ProtocolRun.h"

#include "DevicePanel.h"

namespace {

// Bytes the far end may send ahead of a program that does not read them:
// past that the run stops taking them (the program would be stuck anyway).
constexpr size_t kMostHeardAhead = 8 * 1024 * 1024;

// A pipe whose end kept by this process is not passed to the child.
bool MakePipe(HANDLE& Read, HANDLE& Write, bool KeepRead) {
  if (!CreatePipe(&Read, &Write, nullptr, 0)) return false;
  SetHandleInformation(KeepRead ? Read : Write, HANDLE_FLAG_INHERIT, 0);
  return true;
}

void CloseIfOpen(HANDLE& Handle) {
  if (Handle != nullptr) CloseHandle(Handle);
  Handle = nullptr;
}

}  // namespace

ProtocolRun::ProtocolRun(DevicePanel& Panel) : Panel(Panel) {
  _hHeard = CreateEventA(nullptr, FALSE, FALSE, nullptr);
  _hStop = CreateEventA(nullptr, TRUE, FALSE, nullptr);
}

ProtocolRun::~ProtocolRun() {
  Stop();
  CloseHandle(_hStop);
  CloseHandle(_hHeard);
}

DWORD ProtocolRun::Start(const std::string& CommandLine, const std::string& Folder) {
  if (!Panel.PortOpen()) return ERROR_NOT_READY;
  HANDLE inputRead = nullptr, outputRead = nullptr, outputWrite = nullptr, errorsWrite = nullptr;
  if (!MakePipe(inputRead, _hInput, false) || !MakePipe(outputRead, outputWrite, true) ||
      !MakePipe(_hErrors, errorsWrite, true)) {
    const DWORD error = GetLastError();
    for (HANDLE* handle : {&inputRead, &outputRead, &outputWrite, &errorsWrite}) CloseIfOpen(*handle);
    Release();
    return error;
  }
  // Bytes heard from now on are the program's, also those that arrive
  // before it runs.
  Panel.Channel->AddTap(this);
  _bTapped = true;

  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = inputRead;
  startup.hStdOutput = outputWrite;
  startup.hStdError = errorsWrite;
  PROCESS_INFORMATION process{};
  std::string line = CommandLine;
  const BOOL started = CreateProcessA(nullptr, line.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW, nullptr,
                                      Folder.c_str(), &startup, &process);
  const DWORD startError = started ? ERROR_SUCCESS : GetLastError();
  // The child's ends are the child's alone: its output ends when it does.
  CloseIfOpen(inputRead);
  CloseIfOpen(outputWrite);
  CloseIfOpen(errorsWrite);
  if (!started) {
    CloseIfOpen(outputRead);
    Release();
    return startError;
  }
  CloseHandle(process.hThread);
  _hProcess = process.hProcess;

  const DWORD streamError = Panel.SendStream(outputRead);
  if (streamError != ERROR_SUCCESS) {
    CloseHandle(outputRead);
    Stop();
    return streamError;
  }
  ResetEvent(_hStop);
  _hFeeder = CreateThread(nullptr, 0, FeedEntry, this, 0, nullptr);
  _hReporter = CreateThread(nullptr, 0, ReportEntry, this, 0, nullptr);
  if (_hFeeder == nullptr || _hReporter == nullptr) {
    Stop();
    return ERROR_NOT_ENOUGH_MEMORY;
  }
  return ERROR_SUCCESS;
}

bool ProtocolRun::Finished() const {
  if (_hProcess == nullptr) return true;
  if (WaitForSingleObject(_hProcess, 0) != WAIT_OBJECT_0) return false;
  if (_hReporter != nullptr && WaitForSingleObject(_hReporter, 0) != WAIT_OBJECT_0) return false;
  return !Panel.Writer().StreamRunning();
}

void ProtocolRun::Stop() {
  if (_hProcess != nullptr) TerminateProcess(_hProcess, ERROR_OPERATION_ABORTED);
  // The program's output ends with it, and so the writer's stream.
  Panel.Writer().StopStream();
  Release();
}

void ProtocolRun::Abort() {
  Stop();
  if (Panel.PortOpen()) PurgeComm(Panel.Channel->_hComm, PURGE_TXCLEAR);
}

DWORD ProtocolRun::ExitCode() const {
  DWORD code = STILL_ACTIVE;
  if (_hProcess != nullptr) GetExitCodeProcess(_hProcess, &code);
  return code;
}

LrzszReport ProtocolRun::Report() const {
  InnerLocker guard(&_Lock);
  return _Report;
}

void ProtocolRun::Tapped(const BYTE* pBytes, DWORD dwCount) {
  _qwHeard += dwCount;
  for (DWORD n = 0; n < dwCount && _dwCancelRun != 0; ++n) {
    _dwCans = pBytes[n] == 0x18 ? _dwCans + 1 : 0;
    if (_dwCans >= _dwCancelRun) _bFarEndCancelled = true;
  }
  {
    InnerLocker guard(&_Lock);
    if (_Heard.size() + dwCount > kMostHeardAhead) return;
    _Heard.append(reinterpret_cast<const char*>(pBytes), dwCount);
  }
  SetEvent(_hHeard);
}

DWORD WINAPI ProtocolRun::FeedEntry(LPVOID pThis) {
  static_cast<ProtocolRun*>(pThis)->Feed();
  return 0;
}

DWORD WINAPI ProtocolRun::ReportEntry(LPVOID pThis) {
  static_cast<ProtocolRun*>(pThis)->ReadReport();
  return 0;
}

void ProtocolRun::Feed() {
  for (;;) {
    const HANDLE handles[2] = {_hStop, _hHeard};
    if (WaitForMultipleObjects(2, handles, FALSE, INFINITE) != WAIT_OBJECT_0 + 1) return;
    std::string bytes;
    {
      InnerLocker guard(&_Lock);
      bytes.swap(_Heard);
    }
    DWORD written = 0;
    // Fails once the program has ended; what it did not take is of no use.
    if (!bytes.empty() && !WriteFile(_hInput, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr))
      return;
  }
}

void ProtocolRun::ReadReport() {
  char buffer[4096];
  DWORD count = 0;
  while (ReadFile(_hErrors, buffer, sizeof buffer, &count, nullptr)) {
    InnerLocker guard(&_Lock);
    _Report.Take(std::string(buffer, count));
  }
}

void ProtocolRun::Release() {
  if (_bTapped) Panel.Channel->RemoveTap(this);
  _bTapped = false;
  SetEvent(_hStop);
  // The program has ended (or never ran): its pipes end, and the threads.
  for (HANDLE* thread : {&_hFeeder, &_hReporter}) {
    if (*thread != nullptr) WaitForSingleObject(*thread, INFINITE);
    CloseIfOpen(*thread);
  }
  CloseIfOpen(_hInput);
  CloseIfOpen(_hErrors);
}
