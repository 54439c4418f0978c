// Files and folders, the module path, local time and debugger output.
#pragma once

#include "win32/types.h"

#define GENERIC_READ 0x80000000
#define GENERIC_WRITE 0x40000000
#define GENERIC_ALL 0x10000000

#define FILE_SHARE_READ 0x00000001
#define FILE_SHARE_WRITE 0x00000002
#define FILE_SHARE_DELETE 0x00000004

#define CREATE_NEW 1
#define CREATE_ALWAYS 2
#define OPEN_EXISTING 3
#define OPEN_ALWAYS 4
#define TRUNCATE_EXISTING 5

// Append access alone (without GENERIC_WRITE): every write goes to the end
// of the file as it is at that moment, in one piece, whoever else appends.
#define FILE_APPEND_DATA 0x00000004

#define FILE_ATTRIBUTE_READONLY 0x00000001
#define FILE_ATTRIBUTE_DIRECTORY 0x00000010
#define FILE_ATTRIBUTE_DEVICE 0x00000040
#define FILE_ATTRIBUTE_NORMAL 0x00000080
#define FILE_ATTRIBUTE_TEMPORARY 0x00000100
#define FILE_ATTRIBUTE_REPARSE_POINT 0x00000400
#define INVALID_FILE_ATTRIBUTES ((DWORD)-1)
#define FILE_FLAG_OVERLAPPED 0x40000000
// The name must be a regular file itself: a symbolic link there is not
// followed (ERROR_CANT_ACCESS_FILE). (A pipe, socket or device is refused
// by every plain open, see CreateFileA.)
#define FILE_FLAG_OPEN_REPARSE_POINT 0x00200000
// The file's name is removed as soon as it is open; the handle keeps the
// file until it is closed.
#define FILE_FLAG_DELETE_ON_CLOSE 0x04000000

#define INVALID_FILE_SIZE ((DWORD)0xFFFFFFFF)

// Plain paths open files. The names \\.\COM1 to \\.\COM1024 open serial
// ports through the serial device map. A plain path that stands for a pipe,
// socket or device is refused with ERROR_ACCESS_DENIED, as a folder is,
// without being opened and without waiting for the other end of a FIFO;
// only the memory devices that behave as files (/dev/null, /dev/zero,
// /dev/full, /dev/random, /dev/urandom) open.
HANDLE WINAPI CreateFileA(LPCSTR lpFileName, DWORD dwDesiredAccess, DWORD dwShareMode,
                          LPSECURITY_ATTRIBUTES lpSecurityAttributes, DWORD dwCreationDisposition,
                          DWORD dwFlagsAndAttributes, HANDLE hTemplateFile);
BOOL WINAPI ReadFile(HANDLE hFile, LPVOID lpBuffer, DWORD nNumberOfBytesToRead, LPDWORD lpNumberOfBytesRead,
                     LPOVERLAPPED lpOverlapped);
BOOL WINAPI WriteFile(HANDLE hFile, LPCVOID lpBuffer, DWORD nNumberOfBytesToWrite, LPDWORD lpNumberOfBytesWritten,
                      LPOVERLAPPED lpOverlapped);
// The size of a plain file; its high 32 bits go to *lpFileSizeHigh when
// given. Files that are not plain (pipes, devices) report 0.
DWORD WINAPI GetFileSize(HANDLE hFile, LPDWORD lpFileSizeHigh);
BOOL WINAPI GetOverlappedResult(HANDLE hFile, LPOVERLAPPED lpOverlapped, LPDWORD lpNumberOfBytesTransferred,
                                BOOL bWait);

// FILE_ATTRIBUTE_DIRECTORY, FILE_ATTRIBUTE_DEVICE (a device or a pipe) or
// FILE_ATTRIBUTE_NORMAL, with
// FILE_ATTRIBUTE_REPARSE_POINT when the name is a symbolic link (to what it
// names); INVALID_FILE_ATTRIBUTES when nothing is there.
DWORD WINAPI GetFileAttributesA(LPCSTR lpFileName);
BOOL WINAPI CreateDirectoryA(LPCSTR lpPathName, LPSECURITY_ATTRIBUTES lpSecurityAttributes);

// Port names and what they stand for. DefineDosDeviceA gives a COM name
// (COM1 to COM1024) a target, a device path or a network port's address
// (rfc2217://host:port, tcp://host:port), as a link of that name in the
// user's ports folder, so that the definition outlives the program (the
// links a user makes by hand are the same); DDD_REMOVE_DEFINITION takes it
// away (with DDD_EXACT_MATCH_ON_REMOVE only while it still names
// lpTargetPath). ERROR_INVALID_PARAMETER for another name, a target that
// is neither, or an empty one; ERROR_ALREADY_EXISTS when the name is
// defined already (remove it first); ERROR_FILE_NOT_FOUND when removing a
// name not defined so. QueryDosDeviceA gives a COM name's target, or with
// a null name every COM name in use or held for a device that is away,
// each ended by a zero, the list by a second zero; the characters copied,
// 0 with ERROR_INSUFFICIENT_BUFFER when they do not fit.
#define DDD_RAW_TARGET_PATH 0x00000001
#define DDD_REMOVE_DEFINITION 0x00000002
#define DDD_EXACT_MATCH_ON_REMOVE 0x00000004
BOOL WINAPI DefineDosDeviceA(DWORD dwFlags, LPCSTR lpDeviceName, LPCSTR lpTargetPath);
DWORD WINAPI QueryDosDeviceA(LPCSTR lpDeviceName, LPSTR lpTargetPath, DWORD ucchMax);
DWORD WINAPI GetModuleFileNameA(HMODULE hModule, LPSTR lpFilename, DWORD nSize);

void WINAPI GetLocalTime(LPSYSTEMTIME lpSystemTime);
// The system time (UTC) to the clock's full precision.
void WINAPI GetSystemTimePreciseAsFileTime(LPFILETIME lpSystemTimeAsFileTime);
// A UTC file time in the local time zone (the offset in force at that time).
BOOL WINAPI FileTimeToLocalFileTime(const FILETIME* lpFileTime, LPFILETIME lpLocalFileTime);
// A file time as its date and time fields (in the file time's own zone).
BOOL WINAPI FileTimeToSystemTime(const FILETIME* lpFileTime, LPSYSTEMTIME lpSystemTime);
void WINAPI OutputDebugStringA(LPCSTR lpOutputString);

HRESULT WINAPI CoInitialize(LPVOID pvReserved);
void WINAPI CoUninitialize();
