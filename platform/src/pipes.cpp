// Anonymous pipes. Each end is an object of its own with its descriptor;
// both are opened close-on-exec, so that only a child given an end as a
// standard handle holds it. A descriptor is closed with the last handle,
// but not under a call that is still using it (a read waiting for bytes):
// that call closes it as it returns, so the number is never reused while
// a call can still reach it.
#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <string>

#include "io_object.h"

namespace platform {
namespace {

class PipeEnd : public IoObject {
 public:
  explicit PipeEnd(int fd) : fd_(fd) {}
  ~PipeEnd() override {
    if (fd_ >= 0) ::close(fd_);
  }

  void onClose() override {
    std::lock_guard<std::mutex> guard(lock_);
    closing_ = true;
    closeIfIdle();
  }

  int descriptor() const override {
    std::lock_guard<std::mutex> guard(lock_);
    return closing_ ? -1 : fd_;
  }

  BOOL read(LPVOID buffer, DWORD toRead, LPDWORD read, LPOVERLAPPED) override {
    if (read) *read = 0;
    if (DWORD given = takePeeked(buffer, toRead)) {
      if (read) *read = given;
      SetLastError(ERROR_SUCCESS);
      return TRUE;
    }
    const int fd = enter();
    if (fd < 0) return leave(ERROR_INVALID_HANDLE);
    ssize_t count;
    do count = ::read(fd, buffer, toRead);
    while (count < 0 && errno == EINTR);
    if (count < 0) return leave(errorFromErrno(errno));
    // Nothing read from a pipe asked for bytes: every writer has gone.
    if (count == 0 && toRead > 0) return leave(ERROR_BROKEN_PIPE);
    if (read) *read = static_cast<DWORD>(count);
    return leave(ERROR_SUCCESS);
  }

  BOOL write(LPCVOID buffer, DWORD toWrite, LPDWORD written, LPOVERLAPPED) override {
    if (written) *written = 0;
    const int fd = enter();
    if (fd < 0) return leave(ERROR_INVALID_HANDLE);
    const char* bytes = static_cast<const char*>(buffer);
    DWORD done = 0;
    while (done < toWrite) {
      const ssize_t count = ::write(fd, bytes + done, toWrite - done);
      if (count < 0 && errno == EINTR) continue;
      if (count < 0) {
        if (written) *written = done;
        return leave(errorFromErrno(errno));  // EPIPE: ERROR_NO_DATA
      }
      done += static_cast<DWORD>(count);
    }
    if (written) *written = done;
    return leave(ERROR_SUCCESS);
  }

  // What the read end holds, without waiting or taking it; false with the
  // error set. Bytes copied are read from the pipe into peeked_, which the
  // next reads give first: a pipe has no way to look without reading.
  bool peek(void* buffer, DWORD size, DWORD* copied, DWORD* available) {
    const int fd = enter();
    if (fd < 0) return leave(ERROR_INVALID_HANDLE);
    pollfd ready{fd, POLLIN, 0};
    int held = 0;
    if (::poll(&ready, 1, 0) < 0 || ::ioctl(fd, FIONREAD, &held) < 0) return leave(errorFromErrno(errno));
    std::lock_guard<std::mutex> guard(readLock_);
    if (held > 0 && buffer != nullptr && peeked_.size() < size) {
      std::string more(static_cast<size_t>(held), '\0');
      const ssize_t count = ::read(fd, more.data(), more.size());  // there: never waits
      if (count > 0) peeked_.append(more.data(), static_cast<size_t>(count));
      held = 0;
    }
    const DWORD total = static_cast<DWORD>(peeked_.size()) + static_cast<DWORD>(held);
    // Hung up with nothing left: the writers have gone.
    if (total == 0 && (ready.revents & POLLHUP)) return leave(ERROR_BROKEN_PIPE);
    const DWORD given = buffer != nullptr ? std::min<DWORD>(size, static_cast<DWORD>(peeked_.size())) : 0;
    if (given > 0) std::memcpy(buffer, peeked_.data(), given);
    if (copied) *copied = given;
    if (available) *available = total;
    return leave(ERROR_SUCCESS);
  }

 private:
  // Gives bytes a peek took first; how many.
  DWORD takePeeked(LPVOID buffer, DWORD toRead) {
    std::lock_guard<std::mutex> guard(readLock_);
    const DWORD given = std::min<DWORD>(toRead, static_cast<DWORD>(peeked_.size()));
    if (given == 0) return 0;
    std::memcpy(buffer, peeked_.data(), given);
    peeked_.erase(0, given);
    return given;
  }
  int enter() {
    std::lock_guard<std::mutex> guard(lock_);
    if (closing_) return -1;
    ++calls_;
    return fd_;
  }
  BOOL leave(DWORD error) {
    {
      std::lock_guard<std::mutex> guard(lock_);
      if (calls_ > 0) --calls_;
      closeIfIdle();
    }
    SetLastError(error);
    return error == ERROR_SUCCESS ? TRUE : FALSE;
  }
  // Under lock_.
  void closeIfIdle() {
    if (closing_ && calls_ == 0 && fd_ >= 0) {
      ::close(fd_);
      fd_ = -1;
    }
  }

  mutable std::mutex lock_;
  std::mutex readLock_;  // guards peeked_
  std::string peeked_;
  int fd_;
  int calls_ = 0;
  bool closing_ = false;
};

}  // namespace
}  // namespace platform

using namespace platform;

BOOL WINAPI CreatePipe(PHANDLE hReadPipe, PHANDLE hWritePipe, LPSECURITY_ATTRIBUTES, DWORD) {
  if (hReadPipe == nullptr || hWritePipe == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  int fds[2];
  if (::pipe2(fds, O_CLOEXEC) != 0) {
    SetLastError(errorFromErrno(errno));
    return FALSE;
  }
  *hReadPipe = insertHandle(std::make_shared<PipeEnd>(fds[0]));
  *hWritePipe = insertHandle(std::make_shared<PipeEnd>(fds[1]));
  return TRUE;
}

BOOL WINAPI PeekNamedPipe(HANDLE hNamedPipe, LPVOID lpBuffer, DWORD nBufferSize, LPDWORD lpBytesRead,
                          LPDWORD lpTotalBytesAvail, LPDWORD lpBytesLeftThisMessage) {
  std::shared_ptr<PipeEnd> pipe = requireHandle<PipeEnd>(hNamedPipe);
  if (!pipe) return FALSE;
  if (lpBytesLeftThisMessage) *lpBytesLeftThisMessage = 0;
  return pipe->peek(lpBuffer, nBufferSize, lpBytesRead, lpTotalBytesAvail) ? TRUE : FALSE;
}

BOOL WINAPI SetHandleInformation(HANDLE hObject, DWORD dwMask, DWORD) {
  if (!lookupHandle(hObject)) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  if ((dwMask & ~static_cast<DWORD>(HANDLE_FLAG_INHERIT)) != 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  return TRUE;
}
