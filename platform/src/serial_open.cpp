// The device names \\.\COM1 to \\.\COM1024: each opens the device that the
// serial device map gives its number, for this handle alone.
//
// Before the device is opened at all (opening raises DTR, which resets many
// boards), a device that is a session's controlling terminal is refused and
// the UUCP lock is taken; then the open descriptor is claimed with flock and
// TIOCEXCL. What the open found out is kept for GetLastSerialOpenReport.
// A number whose link names a network address opens a network port
// (network_port.h) instead: one handle at a time in this process.
#include <fcntl.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <mutex>
#include <set>
#include <thread>

#include <kestrix/serial_open_report.h>

#include "network_port.h"
#include "network_redial.h"
#include "serial_device_map.h"
#include "serial_port.h"
#include "terminal_sessions.h"
#include "uucp_lock.h"

namespace platform {
namespace {

thread_local SERIAL_OPEN_REPORT lastOpenReport{};

void copyText(char* destination, size_t room, const std::string& text) {
  const size_t length = std::min(room - 1, text.size());
  std::memcpy(destination, text.data(), length);
  destination[length] = '\0';
}

// A port held by another handle or program is refused as Windows refuses a
// COM port that is open already, ERROR_ACCESS_DENIED; the report tells it
// apart from a missing permission.
void refuseInUse(DWORD* error) {
  *error = ERROR_ACCESS_DENIED;
  lastOpenReport.bInUse = TRUE;
}

void reportHolder(pid_t pid) {
  lastOpenReport.dwHolderProcessId = static_cast<DWORD>(pid);
  copyText(lastOpenReport.szHolderProgram, sizeof lastOpenReport.szHolderProgram, programOfProcess(pid));
}

// Someone's shell or login: the device is the controlling terminal of a
// session. Putting it in raw mode and reading it would take their keys.
// Any name of it counts: the device number is compared, and the kernel's
// names for another terminal (/dev/tty, /dev/console) are followed to it.
bool isSessionTerminal(const std::string& path) {
  struct stat status;
  if (::stat(path.c_str(), &status) != 0 || !S_ISCHR(status.st_mode)) return false;
  for (dev_t terminal : terminalsReachedBy(status.st_rdev)) {
    const pid_t session = sessionOnTerminal(terminal);
    if (session == 0) continue;
    reportHolder(session);
    return true;
  }
  return false;
}

constexpr std::chrono::milliseconds kTurnedAwayPause{100};

// COM numbers of the network ports open in this process: a second open of
// one is refused as a terminal's is.
std::mutex networkPortsLock;
std::set<DWORD> openNetworkPorts;

std::shared_ptr<IoObject> openNetworkDevice(DWORD number, const std::string& target, DWORD* error) {
  const std::optional<NetworkAddress> address = parseNetworkAddress(target);
  if (!address) return nullptr;  // *error is ERROR_FILE_NOT_FOUND
  {
    std::lock_guard<std::mutex> guard(networkPortsLock);
    if (!openNetworkPorts.insert(number).second) {
      refuseInUse(error);
      reportHolder(::getpid());
      return nullptr;
    }
  }
  int socket = -1;
  DWORD cause = 0;
  std::shared_ptr<NetworkPort> port;
  // A server that went away while the port was open is being reached
  // again: its connection is taken when it has come, and until then the
  // open fails at once with what the last try met.
  const Redial redial = takeRedialedConnection(number, *address, &socket, &cause);
  if (redial == Redial::Waiting) {
    *error = cause;
  } else {
    port = NetworkPort::open(number, *address, socket, error);
    // A server that lets one client in at a time (ser2net) turns a new
    // connection away while it still lets the last one go, as after a close
    // and an open at once: asked again a moment later, within the open's
    // wait, it takes it.
    const auto end = std::chrono::steady_clock::now() + NetworkPort::kOpenWait;
    while (!port && redial == Redial::None && *error == ERROR_NETNAME_DELETED &&
           std::chrono::steady_clock::now() + kTurnedAwayPause < end) {
      std::this_thread::sleep_for(kTurnedAwayPause);
      port = NetworkPort::open(number, *address, -1, error);
    }
  }
  // A server reached again that drops the connection at once (one that is
  // still starting) is reached again, so that the port waiting for it is
  // not left waiting for good.
  if (!port && redial == Redial::Connected) redialLostServer(number, *address, *error);
  if (!port) {
    std::lock_guard<std::mutex> guard(networkPortsLock);
    openNetworkPorts.erase(number);
    return nullptr;
  }
  port->whenClosed([number] {
    std::lock_guard<std::mutex> guard(networkPortsLock);
    openNetworkPorts.erase(number);
  });
  return port;
}

}  // namespace

int claimSerialDevice(const std::string& path, DWORD* error) {
  int fd;
  do fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  while (fd < 0 && errno == EINTR);
  if (fd < 0) {
    // EBUSY: another program set TIOCEXCL on the device.
    if (errno == EBUSY)
      refuseInUse(error);
    else
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
    if (failure == EWOULDBLOCK)
      refuseInUse(error);
    else
      *error = errorFromErrno(failure);
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
  lastOpenReport = SERIAL_OPEN_REPORT{};
  *error = ERROR_FILE_NOT_FOUND;
  const char* device = name + std::strlen("\\\\.\\");
  const std::optional<DWORD> number = parsePortName(device, true);
  if (!number) return nullptr;
  const SerialDeviceMap map = currentSerialDeviceMap();
  auto entry = std::find_if(map.begin(), map.end(), [&](const SerialMapEntry& e) { return e.number == *number; });
  if (entry == map.end()) return nullptr;
  const std::string& path = entry->devicePath;
  copyText(lastOpenReport.szDevice, sizeof lastOpenReport.szDevice, path);
  if (looksLikeNetworkAddress(path)) return openNetworkDevice(*number, path, error);

  // Only a character device can be a serial line: anything else (a file, a
  // FIFO, a disk) is refused before it is locked or opened.
  struct stat status;
  if (::stat(path.c_str(), &status) == 0 && !S_ISCHR(status.st_mode)) {
    *error = ERROR_NOT_SUPPORTED;
    return nullptr;
  }
  if (isSessionTerminal(path)) {
    *error = ERROR_DEVICE_IN_USE;
    return nullptr;
  }
  const UucpLockAttempt lock = takeUucpLock(path);
  copyText(lastOpenReport.szRemark, sizeof lastOpenReport.szRemark, lock.remark);
  if (lock.held) {
    refuseInUse(error);
    if (lock.holder != 0) reportHolder(lock.holder);
    return nullptr;
  }
  const int fd = claimSerialDevice(path, error);
  if (fd < 0) {
    releaseUucpLock(lock.lockPath);
    return nullptr;
  }
  return SerialPort::start(fd, lock.lockPath, error);
}

}  // namespace platform

BOOL WINAPI GetLastSerialOpenReport(SERIAL_OPEN_REPORT* lpReport) {
  if (lpReport == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  *lpReport = platform::lastOpenReport;
  return TRUE;
}
