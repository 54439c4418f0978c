// Kernel objects that ReadFile and WriteFile reach: plain files, pipes and
// serial ports.
#pragma once

#include "kernel_object.h"

namespace platform {

class IoObject : public KernelObject {
 public:
  virtual BOOL read(LPVOID buffer, DWORD toRead, LPDWORD read, LPOVERLAPPED overlapped) = 0;
  virtual BOOL write(LPCVOID buffer, DWORD toWrite, LPDWORD written, LPOVERLAPPED overlapped) = 0;
  // DeviceIoControl. Devices that know a code override this; the rest fail
  // with ERROR_INVALID_FUNCTION, as a driver does for a code it does not
  // know. Completes the record, when given, before returning.
  virtual BOOL control(DWORD code, LPVOID in, DWORD inSize, LPVOID out, DWORD outSize, LPDWORD returned,
                       LPOVERLAPPED overlapped);
  // The descriptor a child process may be given as a standard handle (a
  // file's or a pipe's); -1 for objects that cannot be (ports). It stays
  // valid while the caller holds the object.
  virtual int descriptor() const { return -1; }
};

// Opens a device name of the form \\.\NAME (serial ports). Returns the
// object, or null with the Win32 error in *error.
std::shared_ptr<IoObject> openDevice(const char* name, DWORD access, DWORD share, DWORD flags, DWORD* error);

// The Win32 error for an errno value.
DWORD errorFromErrno(int error);

}  // namespace platform
