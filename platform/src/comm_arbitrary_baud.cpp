#include "comm_arbitrary_baud.h"

#include <asm/termbits.h>
#include <sys/ioctl.h>

namespace platform {

bool setLineRate(int fd, DWORD rate) {
  struct termios2 settings;
  if (::ioctl(fd, TCGETS2, &settings) != 0) return false;
  settings.c_cflag &= ~(CBAUD | (CBAUD << IBSHIFT));
  settings.c_cflag |= BOTHER | (BOTHER << IBSHIFT);
  settings.c_ispeed = rate;
  settings.c_ospeed = rate;
  return ::ioctl(fd, TCSETS2, &settings) == 0;
}

DWORD readLineRate(int fd) {
  struct termios2 settings;
  if (::ioctl(fd, TCGETS2, &settings) != 0) return 0;
  return settings.c_ospeed;
}

}  // namespace platform
