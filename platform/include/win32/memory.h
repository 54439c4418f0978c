// How much memory the machine has, as GlobalMemoryStatusEx tells it.
#pragma once

#include "win32/types.h"

typedef struct _MEMORYSTATUSEX {
  DWORD dwLength;      // sizeof(MEMORYSTATUSEX), set by the caller
  DWORD dwMemoryLoad;  // percent of physical memory in use
  DWORDLONG ullTotalPhys;
  DWORDLONG ullAvailPhys;
  DWORDLONG ullTotalPageFile;  // physical memory and swap
  DWORDLONG ullAvailPageFile;
  DWORDLONG ullTotalVirtual;  // the process's address space
  DWORDLONG ullAvailVirtual;
  DWORDLONG ullAvailExtendedVirtual;  // always 0
} MEMORYSTATUSEX, *LPMEMORYSTATUSEX;

// Fills lpBuffer from the kernel's account of memory (MemTotal and
// MemAvailable, swap). FALSE with ERROR_INVALID_PARAMETER when dwLength is
// not the structure's size.
BOOL WINAPI GlobalMemoryStatusEx(LPMEMORYSTATUSEX lpBuffer);
