// Child processes and anonymous pipes: a program started with its standard
// input, output and error on pipes of this process, as a protocol program
// (lrzsz) is run by a file transfer.
//
// On this platform a child gets only the standard handles STARTUPINFOA
// names (with STARTF_USESTDHANDLES; else this process's own): no other
// handle is passed on, inheritable or not, so a pipe end the parent keeps
// never holds a child's pipe open. The command line is split into words by
// the rules of the Windows C runtime (quotes, and backslashes before them),
// the first word being the program, looked up on PATH when it has no folder
// (as SearchPathA does) unless lpApplicationName names it.
#pragma once

#include "win32/types.h"

#define STARTF_USESTDHANDLES 0x00000100
#define CREATE_NO_WINDOW 0x08000000
#define HANDLE_FLAG_INHERIT 0x00000001

struct STARTUPINFOA {
  DWORD cb;
  LPSTR lpReserved;
  LPSTR lpDesktop;
  LPSTR lpTitle;
  DWORD dwX;
  DWORD dwY;
  DWORD dwXSize;
  DWORD dwYSize;
  DWORD dwXCountChars;
  DWORD dwYCountChars;
  DWORD dwFillAttribute;
  DWORD dwFlags;
  WORD wShowWindow;
  WORD cbReserved2;
  LPBYTE lpReserved2;
  HANDLE hStdInput;
  HANDLE hStdOutput;
  HANDLE hStdError;
};
typedef STARTUPINFOA* LPSTARTUPINFOA;

struct PROCESS_INFORMATION {
  HANDLE hProcess;
  HANDLE hThread;
  DWORD dwProcessId;
  DWORD dwThreadId;
};
typedef PROCESS_INFORMATION* LPPROCESS_INFORMATION;

// A pipe: ReadFile on *hReadPipe waits for bytes and gives what is there
// (up to the count asked); once every write end is closed and the pipe is
// empty it fails with ERROR_BROKEN_PIPE. WriteFile on *hWritePipe waits for
// room; when every read end is closed it fails with ERROR_NO_DATA.
// nSize is advisory.
BOOL WINAPI CreatePipe(PHANDLE hReadPipe, PHANDLE hWritePipe, LPSECURITY_ATTRIBUTES lpPipeAttributes, DWORD nSize);
// What a pipe's read end holds now, without taking it: the bytes copied
// into lpBuffer (up to nBufferSize), and the total available. Never waits.
// ERROR_BROKEN_PIPE once the write ends are closed and nothing is left.
BOOL WINAPI PeekNamedPipe(HANDLE hNamedPipe, LPVOID lpBuffer, DWORD nBufferSize, LPDWORD lpBytesRead,
                          LPDWORD lpTotalBytesAvail, LPDWORD lpBytesLeftThisMessage);
// Handles are never passed on but through STARTUPINFOA: the flag is kept
// for callers written for Windows, and accepted.
BOOL WINAPI SetHandleInformation(HANDLE hObject, DWORD dwMask, DWORD dwFlags);

// Starts a program. hThread in *lpProcessInformation is a handle too (to
// the same waitable end); close both. lpCurrentDirectory, when given, is
// the child's working folder. Fails with ERROR_FILE_NOT_FOUND when the
// program is not found or cannot run, ERROR_INVALID_HANDLE when a standard
// handle is not a pipe or file, ERROR_INVALID_PARAMETER for an empty command
// line.
BOOL WINAPI CreateProcessA(LPCSTR lpApplicationName, LPSTR lpCommandLine, LPSECURITY_ATTRIBUTES lpProcessAttributes,
                           LPSECURITY_ATTRIBUTES lpThreadAttributes, BOOL bInheritHandles, DWORD dwCreationFlags,
                           LPVOID lpEnvironment, LPCSTR lpCurrentDirectory, LPSTARTUPINFOA lpStartupInfo,
                           LPPROCESS_INFORMATION lpProcessInformation);
// Ends the process at once (it runs none of its own code again, as on
// Windows); its exit code becomes uExitCode. A process that has ended
// already is left as it is (TRUE).
BOOL WINAPI TerminateProcess(HANDLE hProcess, UINT uExitCode);
// STILL_ACTIVE while it runs; then its exit status, or 128 + the signal
// that ended it (other than TerminateProcess's).
BOOL WINAPI GetExitCodeProcess(HANDLE hProcess, LPDWORD lpExitCode);

// Looks for a file: in lpPath (folders separated by ';' or ':'), else in
// the folders of PATH. lpExtension is added when the name as it stands is
// not found and has none (so "sx" finds a program sx, and sx.exe where
// programs have that ending). The length of the full name copied into
// lpBuffer; the length needed (with its terminator) when nBufferLength is
// too small; 0 with ERROR_FILE_NOT_FOUND when none is found.
DWORD WINAPI SearchPathA(LPCSTR lpPath, LPCSTR lpFileName, LPCSTR lpExtension, DWORD nBufferLength, LPSTR lpBuffer,
                         LPSTR* lpFilePart);
