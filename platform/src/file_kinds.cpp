#include "file_kinds.h"

#include <sys/sysmacros.h>

namespace platform {
namespace {

// The memory devices' major number and the minors of those that behave as
// files; /dev/mem, /dev/port and /dev/kmsg share the major and are left out.
constexpr unsigned kMemoryDevices = 1;
constexpr unsigned kFileLikeMinors[] = {3, 5, 7, 8, 9};

bool isFileLikeDevice(dev_t device) {
  if (::major(device) != kMemoryDevices) return false;
  for (unsigned minor : kFileLikeMinors)
    if (::minor(device) == minor) return true;
  return false;
}

}  // namespace

bool opensAsFile(const struct stat& status) {
  return S_ISREG(status.st_mode) || (S_ISCHR(status.st_mode) && isFileLikeDevice(status.st_rdev));
}

std::string kindOfFile(mode_t mode) {
  if (S_ISREG(mode)) return "a regular file";
  if (S_ISDIR(mode)) return "a folder";
  if (S_ISLNK(mode)) return "a symbolic link";
  if (S_ISFIFO(mode)) return "a FIFO";
  if (S_ISSOCK(mode)) return "a socket";
  if (S_ISCHR(mode)) return "a character device";
  if (S_ISBLK(mode)) return "a block device";
  return "not a file";
}

}  // namespace platform
