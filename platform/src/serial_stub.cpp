// Placeholder until serial ports are mapped: no device names exist.
#include "io_object.h"

namespace platform {

std::shared_ptr<IoObject> openDevice(const char*, DWORD, DWORD, DWORD, DWORD* error) {
  *error = ERROR_FILE_NOT_FOUND;
  return nullptr;
}

}  // namespace platform
