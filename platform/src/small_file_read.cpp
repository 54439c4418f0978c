#include "small_file_read.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "file_kinds.h"

namespace platform {
namespace {

SmallFileRead notAFile(mode_t mode) {
  SmallFileRead outcome;
  outcome.result = SmallFileRead::Result::NotAFile;
  outcome.kind = kindOfFile(mode);
  return outcome;
}

SmallFileRead withResult(SmallFileRead::Result result) {
  SmallFileRead outcome;
  outcome.result = result;
  return outcome;
}

// Reads up to `limit` bytes; false on a read error.
bool readUpTo(int fd, size_t limit, std::string* text) {
  text->resize(limit);
  size_t done = 0;
  while (done < limit) {
    const ssize_t count = ::read(fd, text->data() + done, limit - done);
    if (count < 0 && errno == EINTR) continue;
    if (count < 0) return false;
    if (count == 0) break;
    done += static_cast<size_t>(count);
  }
  text->resize(done);
  return true;
}

}  // namespace

SmallFileRead readSmallFile(const std::filesystem::path& path, size_t limit) {
  // Looked at before it is opened, so that a device is never opened at all.
  struct stat status;
  if (::lstat(path.c_str(), &status) != 0)
    return withResult(errno == ENOENT ? SmallFileRead::Result::Missing : SmallFileRead::Result::Failed);
  if (!S_ISREG(status.st_mode)) return notAFile(status.st_mode);
  int fd;
  do fd = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
  while (fd < 0 && errno == EINTR);
  if (fd < 0) {
    if (errno == ENOENT) return withResult(SmallFileRead::Result::Missing);
    // Replaced by a link since it was looked at.
    return errno == ELOOP ? notAFile(S_IFLNK) : withResult(SmallFileRead::Result::Failed);
  }
  // ... or by a pipe or device.
  const bool statted = ::fstat(fd, &status) == 0;
  if (!statted || !S_ISREG(status.st_mode)) {
    ::close(fd);
    return statted ? notAFile(status.st_mode) : withResult(SmallFileRead::Result::Failed);
  }
  SmallFileRead outcome;
  outcome.result = readUpTo(fd, limit, &outcome.text) ? SmallFileRead::Result::Read : SmallFileRead::Result::Failed;
  ::close(fd);
  return outcome;
}

}  // namespace platform
