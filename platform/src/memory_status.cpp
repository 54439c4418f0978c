// GlobalMemoryStatusEx from /proc/meminfo (MemAvailable counts what the
// page cache would give back, as Windows' available memory does), with
// sysinfo(2) for a kernel without it.
#include <sys/resource.h>
#include <sys/sysinfo.h>

#include <cstdint>
#include <cstdio>
#include <cstring>

#include <windows.h>

namespace {

struct MemInfo {
  std::uint64_t total = 0, available = 0, swapTotal = 0, swapFree = 0;
  bool read = false;
};

MemInfo ReadMemInfo() {
  MemInfo info;
  FILE* file = std::fopen("/proc/meminfo", "re");
  if (!file) return info;
  char name[64];
  unsigned long long kib = 0;
  bool total = false, available = false;
  while (std::fscanf(file, "%63s %llu kB", name, &kib) == 2) {
    if (std::strcmp(name, "MemTotal:") == 0) total = (info.total = kib * 1024, true);
    if (std::strcmp(name, "MemAvailable:") == 0) available = (info.available = kib * 1024, true);
    if (std::strcmp(name, "SwapTotal:") == 0) info.swapTotal = kib * 1024;
    if (std::strcmp(name, "SwapFree:") == 0) info.swapFree = kib * 1024;
  }
  std::fclose(file);
  info.read = total && available;
  return info;
}

}  // namespace

BOOL WINAPI GlobalMemoryStatusEx(LPMEMORYSTATUSEX lpBuffer) {
  if (lpBuffer == nullptr || lpBuffer->dwLength != sizeof(MEMORYSTATUSEX)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  MemInfo info = ReadMemInfo();
  if (!info.read) {
    struct sysinfo system {};
    if (sysinfo(&system) != 0) {
      SetLastError(ERROR_NOT_ENOUGH_MEMORY);
      return FALSE;
    }
    info.total = std::uint64_t(system.totalram) * system.mem_unit;
    info.available = std::uint64_t(system.freeram + system.bufferram) * system.mem_unit;
    info.swapTotal = std::uint64_t(system.totalswap) * system.mem_unit;
    info.swapFree = std::uint64_t(system.freeswap) * system.mem_unit;
  }
  lpBuffer->ullTotalPhys = info.total;
  lpBuffer->ullAvailPhys = info.available < info.total ? info.available : info.total;
  lpBuffer->dwMemoryLoad = info.total == 0 ? 0 : DWORD((info.total - lpBuffer->ullAvailPhys) * 100 / info.total);
  lpBuffer->ullTotalPageFile = info.total + info.swapTotal;
  lpBuffer->ullAvailPageFile = lpBuffer->ullAvailPhys + info.swapFree;
  // The address space: unlimited unless the process was given a limit.
  struct rlimit limit {};
  const std::uint64_t space = 1ull << 47;
  lpBuffer->ullTotalVirtual =
      getrlimit(RLIMIT_AS, &limit) == 0 && limit.rlim_cur != RLIM_INFINITY && limit.rlim_cur < space ? limit.rlim_cur
                                                                                                     : space;
  lpBuffer->ullAvailVirtual = lpBuffer->ullTotalVirtual;
  lpBuffer->ullAvailExtendedVirtual = 0;
  return TRUE;
}
