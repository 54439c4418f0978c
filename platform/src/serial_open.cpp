// The device names \\.\COM1 to \\.\COM1024: each opens the device that the
// serial device map gives its number, for this handle alone.
#include <fcntl.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "serial_device_map.h"
#include "serial_port.h"

namespace platform {

int claimSerialDevice(const std::string& path, DWORD* error) {
  int fd;
  do fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  while (fd < 0 && errno == EINTR);
  if (fd < 0) {
    // EBUSY: another handle set TIOCEXCL on the device.
    *error = errorFromErrno(errno);
    return -1;
  }
  if (!::isatty(fd)) {
    ::close(fd);
    *error = ERROR_NOT_SUPPORTED;
    return -1;
  }
  // flock is what excludes a second open by the superuser, whom TIOCEXCL
  // does not stop.
  if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
    const int failure = errno;
    ::close(fd);
    *error = failure == EWOULDBLOCK ? ERROR_ACCESS_DENIED : errorFromErrno(failure);
    return -1;
  }
  ::ioctl(fd, TIOCEXCL);
  return fd;
}

void releaseSerialDevice(int fd) {
  ::ioctl(fd, TIOCNXCL);
  ::flock(fd, LOCK_UN);
  ::close(fd);
}

std::shared_ptr<IoObject> openDevice(const char* name, DWORD, DWORD, DWORD, DWORD* error) {
  *error = ERROR_FILE_NOT_FOUND;
  const char* device = name + std::strlen("\\\\.\\");
  const std::optional<DWORD> number = parsePortName(device, true);
  if (!number) return nullptr;
  const SerialDeviceMap map = currentSerialDeviceMap();
  auto entry = std::find_if(map.begin(), map.end(), [&](const SerialMapEntry& e) { return e.number == *number; });
  if (entry == map.end()) return nullptr;
  const int fd = claimSerialDevice(entry->devicePath, error);
  if (fd < 0) return nullptr;
  return SerialPort::start(fd, error);
}

}  // namespace platform
