// Plain files behind CreateFileA, and the dispatch of the file calls to
// plain files and devices. Sharing modes are not enforced for plain files.
// A name that stands for a pipe, socket or device (file_kinds.h) is refused
// with ERROR_ACCESS_DENIED, as a folder is: no open ever waits for the other
// end of a FIFO. One exception: a pipe opened only to be written to, when a
// reader is already there (the open does not wait then), so that a capture
// can feed another program; without a reader it is refused at once.
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string>

#include "file_kinds.h"
#include "io_object.h"

namespace platform {
namespace {

// As on Windows, a write to a pipe whose reader has gone fails with
// ERROR_NO_DATA and that is all. Linux also sends SIGPIPE, which by default
// ends the process: it is ignored from the start, for every pipe the
// process writes (a capture's, and standard output or error too).
bool ignoreBrokenPipeSignal() {
  struct sigaction current {};
  if (::sigaction(SIGPIPE, nullptr, &current) != 0 || current.sa_handler != SIG_DFL) return false;
  struct sigaction ignore {};
  ignore.sa_handler = SIG_IGN;
  sigemptyset(&ignore.sa_mask);
  return ::sigaction(SIGPIPE, &ignore, nullptr) == 0;
}
[[maybe_unused]] const bool brokenPipesIgnored = ignoreBrokenPipeSignal();

class FileObject : public IoObject {
 public:
  explicit FileObject(int fd) : fd_(fd) {}
  ~FileObject() override { onClose(); }

  int descriptor() const override { return fd_; }

  void onClose() override {
    std::lock_guard<std::mutex> guard(lock_);
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
  }

  BOOL read(LPVOID buffer, DWORD toRead, LPDWORD read, LPOVERLAPPED) override {
    std::lock_guard<std::mutex> guard(lock_);
    if (read) *read = 0;
    ssize_t count;
    do count = ::read(fd_, buffer, toRead);
    while (count < 0 && errno == EINTR);
    if (count < 0) return failTransfer(errno);
    if (read) *read = static_cast<DWORD>(count);
    return TRUE;
  }

  BOOL write(LPCVOID buffer, DWORD toWrite, LPDWORD written, LPOVERLAPPED) override {
    std::lock_guard<std::mutex> guard(lock_);
    if (written) *written = 0;
    const char* bytes = static_cast<const char*>(buffer);
    DWORD done = 0;
    while (done < toWrite) {
      const ssize_t count = ::write(fd_, bytes + done, toWrite - done);
      if (count < 0 && errno == EINTR) continue;
      if (count < 0) {
        if (written) *written = done;
        return failTransfer(errno);
      }
      done += static_cast<DWORD>(count);
    }
    if (written) *written = done;
    return TRUE;
  }

  // False with the error set when the size cannot be read.
  bool size(ULONGLONG* result) {
    std::lock_guard<std::mutex> guard(lock_);
    struct stat status;
    if (::fstat(fd_, &status) != 0) {
      fail(errno);
      return false;
    }
    *result = S_ISREG(status.st_mode) ? static_cast<ULONGLONG>(status.st_size) : 0;
    return true;
  }

 private:
  static BOOL fail(int error) {
    SetLastError(errorFromErrno(error));
    return FALSE;
  }

  // An open descriptor refuses a read or a write only when the handle was
  // opened without that access: ERROR_ACCESS_DENIED, as on Windows.
  BOOL failTransfer(int error) const { return fail(error == EBADF && fd_ >= 0 ? EACCES : error); }

  std::mutex lock_;
  int fd_;
};

// Whether the folder that would hold `name` exists: a missing file is
// ERROR_FILE_NOT_FOUND, a missing folder on its way ERROR_PATH_NOT_FOUND.
bool folderOfExists(LPCSTR name) {
  const char* slash = std::strrchr(name, '/');
  if (slash == nullptr) return true;
  const std::string folder(name, slash == name ? 1 : static_cast<size_t>(slash - name));
  struct stat status;
  return ::stat(folder.c_str(), &status) == 0 && S_ISDIR(status.st_mode);
}

// Looked at before it is opened, so that a pipe or device is never opened
// at all (see file_kinds.h); with FILE_FLAG_OPEN_REPARSE_POINT the name must
// be the file itself, not a link. False, with the error set, for what is
// there now; a missing file is fine.
// Whether a handle with this access may stand for what the status tells:
// a file, or a pipe that is only written to (see the top of this file).
bool mayOpen(const struct stat& status, bool exactFile, bool writesOnly) {
  if (exactFile) return S_ISREG(status.st_mode);
  return opensAsFile(status) || (writesOnly && S_ISFIFO(status.st_mode));
}

bool opensAsFileOrMissing(LPCSTR name, bool exactFile, bool writesOnly) {
  struct stat status;
  if ((exactFile ? ::lstat(name, &status) : ::stat(name, &status)) != 0 || S_ISDIR(status.st_mode)) return true;
  if (exactFile && S_ISLNK(status.st_mode)) {
    SetLastError(ERROR_CANT_ACCESS_FILE);
    return false;
  }
  if (mayOpen(status, exactFile, writesOnly)) return true;
  SetLastError(ERROR_ACCESS_DENIED);
  return false;
}

// The open(2) flags for the access and disposition; -1 for a disposition
// that is not one.
int openFlags(DWORD access, DWORD disposition, bool exactFile) {
  // Never waits: whatever the name stands for by the time it is opened is
  // checked once it is open.
  int flags = O_CLOEXEC | O_NONBLOCK;
  const bool reads = (access & (GENERIC_READ | GENERIC_ALL)) != 0;
  const bool overwrites = (access & (GENERIC_WRITE | GENERIC_ALL)) != 0;
  // Append access alone: every write goes to the end of the file at that
  // moment, in one piece, whoever else appends.
  const bool appends = !overwrites && (access & FILE_APPEND_DATA) != 0;
  const bool writes = overwrites || appends;
  flags |= reads && writes ? O_RDWR : writes ? O_WRONLY : O_RDONLY;
  if (appends) flags |= O_APPEND;
  if (exactFile) flags |= O_NOFOLLOW;
  switch (disposition) {
    case CREATE_NEW:
      return flags | O_CREAT | O_EXCL;
    case CREATE_ALWAYS:
      return flags | O_CREAT | O_TRUNC;
    case OPEN_EXISTING:
      return flags;
    case OPEN_ALWAYS:
      return flags | O_CREAT;
    case TRUNCATE_EXISTING:
      return flags | O_TRUNC;
    default:
      return -1;
  }
}

void setOpenError(LPCSTR name, int error, bool exactFile) {
  if (error == EEXIST)
    SetLastError(ERROR_FILE_EXISTS);
  else if (error == ENOENT && !folderOfExists(name))
    SetLastError(ERROR_PATH_NOT_FOUND);
  else if (error == ELOOP && exactFile)  // a link put there since the check
    SetLastError(ERROR_CANT_ACCESS_FILE);
  else if (error == ENXIO)  // a FIFO without a reader, or a socket, put there since the check
    SetLastError(ERROR_ACCESS_DENIED);
  else
    SetLastError(errorFromErrno(error));
}

// Whether the open descriptor is one a file handle may have: a folder is
// refused as on Windows, and so is a pipe or device that took the name's
// place after it was looked at.
bool isFileDescriptor(int fd, bool exactFile, bool writesOnly) {
  struct stat status;
  if (::fstat(fd, &status) != 0) return true;  // nothing known against it
  return mayOpen(status, exactFile, writesOnly);
}

HANDLE openPlainFile(LPCSTR name, DWORD access, DWORD disposition, DWORD flagsAndAttributes) {
  const bool exactFile = (flagsAndAttributes & FILE_FLAG_OPEN_REPARSE_POINT) != 0;
  const int flags = openFlags(access, disposition, exactFile);
  const bool writesOnly = flags >= 0 && (flags & O_ACCMODE) == O_WRONLY;
  if (flags < 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return INVALID_HANDLE_VALUE;
  }
  // A new file is made by the open itself, which opens nothing that exists.
  if (disposition != CREATE_NEW && !opensAsFileOrMissing(name, exactFile, writesOnly)) return INVALID_HANDLE_VALUE;
  // With OPEN_ALWAYS and CREATE_ALWAYS, Windows tells on success whether the
  // file was there before (ERROR_ALREADY_EXISTS); creating it exclusively
  // first finds out.
  const bool tellsExisting = disposition == OPEN_ALWAYS || disposition == CREATE_ALWAYS;
  bool existed = false;
  int fd = ::open(name, tellsExisting ? flags | O_EXCL : flags, 0666);
  if (fd < 0 && tellsExisting && errno == EEXIST) {
    existed = true;
    fd = ::open(name, flags & ~O_CREAT, 0666);
    if (fd < 0 && errno == ENOENT) {  // removed in between
      existed = false;
      fd = ::open(name, flags, 0666);
    }
  }
  if (fd < 0) {
    setOpenError(name, errno, exactFile);
    return INVALID_HANDLE_VALUE;
  }
  if (!isFileDescriptor(fd, exactFile, writesOnly)) {
    ::close(fd);
    SetLastError(ERROR_ACCESS_DENIED);
    return INVALID_HANDLE_VALUE;
  }
  ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
  // The name goes at once rather than at the last close; the open handle
  // keeps the file.
  if (flagsAndAttributes & FILE_FLAG_DELETE_ON_CLOSE) ::unlink(name);
  SetLastError(existed ? ERROR_ALREADY_EXISTS : ERROR_SUCCESS);
  return insertHandle(std::make_shared<FileObject>(fd));
}

}  // namespace
}  // namespace platform

using namespace platform;

HANDLE WINAPI CreateFileA(LPCSTR lpFileName, DWORD dwDesiredAccess, DWORD dwShareMode, LPSECURITY_ATTRIBUTES,
                          DWORD dwCreationDisposition, DWORD dwFlagsAndAttributes, HANDLE) {
  if (lpFileName == nullptr || *lpFileName == '\0') {
    SetLastError(ERROR_PATH_NOT_FOUND);
    return INVALID_HANDLE_VALUE;
  }
  if (std::strncmp(lpFileName, "\\\\.\\", 4) == 0) {
    if (dwCreationDisposition != OPEN_EXISTING) {
      SetLastError(ERROR_INVALID_PARAMETER);
      return INVALID_HANDLE_VALUE;
    }
    DWORD error = ERROR_FILE_NOT_FOUND;
    std::shared_ptr<IoObject> device =
        openDevice(lpFileName, dwDesiredAccess, dwShareMode, dwFlagsAndAttributes, &error);
    if (!device) {
      SetLastError(error);
      return INVALID_HANDLE_VALUE;
    }
    return insertHandle(std::move(device));
  }
  return openPlainFile(lpFileName, dwDesiredAccess, dwCreationDisposition, dwFlagsAndAttributes);
}

BOOL WINAPI ReadFile(HANDLE hFile, LPVOID lpBuffer, DWORD nNumberOfBytesToRead, LPDWORD lpNumberOfBytesRead,
                     LPOVERLAPPED lpOverlapped) {
  std::shared_ptr<IoObject> object = requireHandle<IoObject>(hFile);
  if (!object) return FALSE;
  if (lpBuffer == nullptr && nNumberOfBytesToRead != 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  return object->read(lpBuffer, nNumberOfBytesToRead, lpNumberOfBytesRead, lpOverlapped);
}

BOOL WINAPI WriteFile(HANDLE hFile, LPCVOID lpBuffer, DWORD nNumberOfBytesToWrite, LPDWORD lpNumberOfBytesWritten,
                      LPOVERLAPPED lpOverlapped) {
  std::shared_ptr<IoObject> object = requireHandle<IoObject>(hFile);
  if (!object) return FALSE;
  if (lpBuffer == nullptr && nNumberOfBytesToWrite != 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  return object->write(lpBuffer, nNumberOfBytesToWrite, lpNumberOfBytesWritten, lpOverlapped);
}

DWORD WINAPI GetFileSize(HANDLE hFile, LPDWORD lpFileSizeHigh) {
  std::shared_ptr<FileObject> file = requireHandle<FileObject>(hFile);
  if (!file) return INVALID_FILE_SIZE;
  ULONGLONG size = 0;
  if (!file->size(&size)) return INVALID_FILE_SIZE;
  if (lpFileSizeHigh) *lpFileSizeHigh = static_cast<DWORD>(size >> 32);
  // As on Windows, a size whose low half is all ones is told apart from a
  // failure by the error code.
  SetLastError(ERROR_SUCCESS);
  return static_cast<DWORD>(size);
}

DWORD WINAPI GetFileAttributesA(LPCSTR lpFileName) {
  struct stat status;
  if (lpFileName == nullptr || ::stat(lpFileName, &status) != 0) {
    const int error = lpFileName == nullptr ? ENOENT : errno;
    SetLastError(error == ENOENT && lpFileName != nullptr && !folderOfExists(lpFileName) ? ERROR_PATH_NOT_FOUND
                                                                                         : errorFromErrno(error));
    return INVALID_FILE_ATTRIBUTES;
  }
  // A device or a pipe is no file that keeps what is written to it.
  const bool device = S_ISCHR(status.st_mode) || S_ISBLK(status.st_mode) || S_ISFIFO(status.st_mode);
  DWORD attributes = S_ISDIR(status.st_mode) ? FILE_ATTRIBUTE_DIRECTORY
                     : device                ? FILE_ATTRIBUTE_DEVICE
                                             : FILE_ATTRIBUTE_NORMAL;
  struct stat linkStatus;
  if (::lstat(lpFileName, &linkStatus) == 0 && S_ISLNK(linkStatus.st_mode)) attributes |= FILE_ATTRIBUTE_REPARSE_POINT;
  SetLastError(ERROR_SUCCESS);
  return attributes;
}

BOOL WINAPI CreateDirectoryA(LPCSTR lpPathName, LPSECURITY_ATTRIBUTES) {
  if (lpPathName == nullptr || *lpPathName == '\0') {
    SetLastError(ERROR_PATH_NOT_FOUND);
    return FALSE;
  }
  if (::mkdir(lpPathName, 0777) != 0) {
    const int error = errno;
    SetLastError(error == ENOENT ? ERROR_PATH_NOT_FOUND : errorFromErrno(error));
    return FALSE;
  }
  return TRUE;
}

DWORD WINAPI GetModuleFileNameA(HMODULE hModule, LPSTR lpFilename, DWORD nSize) {
  if (hModule != nullptr) {
    SetLastError(ERROR_INVALID_HANDLE);
    return 0;
  }
  if (lpFilename == nullptr || nSize == 0) {
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return 0;
  }
  char path[4096];
  const ssize_t length = ::readlink("/proc/self/exe", path, sizeof path - 1);
  if (length <= 0) {
    SetLastError(errorFromErrno(errno));
    return 0;
  }
  // As on Windows: a path that does not fit is cut, ended, and reported with
  // the buffer's size and ERROR_INSUFFICIENT_BUFFER.
  if (static_cast<DWORD>(length) >= nSize) {
    std::memcpy(lpFilename, path, nSize - 1);
    lpFilename[nSize - 1] = '\0';
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return nSize;
  }
  std::memcpy(lpFilename, path, static_cast<size_t>(length));
  lpFilename[length] = '\0';
  SetLastError(ERROR_SUCCESS);
  return static_cast<DWORD>(length);
}
