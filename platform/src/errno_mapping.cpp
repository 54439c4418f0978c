#include <cerrno>

#include "io_object.h"

namespace platform {

DWORD errorFromErrno(int error) {
  switch (error) {
    case 0:
      return ERROR_SUCCESS;
    case ENOENT:
    case ENXIO:
    case ENODEV:
      return ERROR_FILE_NOT_FOUND;
    case ENOTDIR:
      return ERROR_PATH_NOT_FOUND;
    case EACCES:
    case EPERM:
    case EBUSY:
    case EROFS:
    case EISDIR:  // a folder opened as a file
      return ERROR_ACCESS_DENIED;
    case EBADF:
      return ERROR_INVALID_HANDLE;
    case ENOMEM:
      return ERROR_NOT_ENOUGH_MEMORY;
    case EEXIST:
      return ERROR_ALREADY_EXISTS;
    case EINVAL:
    case ENOTTY:
      return ERROR_INVALID_PARAMETER;
    case ENAMETOOLONG:
      return ERROR_FILENAME_EXCED_RANGE;
    case EAGAIN:
      return ERROR_SHARING_VIOLATION;
    case ENOSPC:
    case EDQUOT:
      return ERROR_DISK_FULL;
    case EIO:
      return ERROR_GEN_FAILURE;
    case EPIPE:  // a pipe whose reader has gone
      return ERROR_NO_DATA;
    case ENOTSUP:  // what the device cannot do (a raw network port's break)
      return ERROR_NOT_SUPPORTED;
    case ENOTCONN:  // a network port still reaching its server
      return ERROR_NOT_READY;
    default:
      return ERROR_GEN_FAILURE;
  }
}

}  // namespace platform
