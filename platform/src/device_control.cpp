// DeviceIoControl, handed to the device behind the handle.
#include "io_object.h"

BOOL WINAPI DeviceIoControl(HANDLE hDevice, DWORD dwIoControlCode, LPVOID lpInBuffer, DWORD nInBufferSize,
                            LPVOID lpOutBuffer, DWORD nOutBufferSize, LPDWORD lpBytesReturned,
                            LPOVERLAPPED lpOverlapped) {
  std::shared_ptr<platform::IoObject> object = platform::requireHandle<platform::IoObject>(hDevice);
  if (!object) return FALSE;
  if ((lpInBuffer == nullptr && nInBufferSize != 0) || (lpOutBuffer == nullptr && nOutBufferSize != 0)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  DWORD returned = 0;
  const BOOL done =
      object->control(dwIoControlCode, lpInBuffer, nInBufferSize, lpOutBuffer, nOutBufferSize, &returned, lpOverlapped);
  if (lpBytesReturned) *lpBytesReturned = returned;
  return done;
}

namespace platform {

BOOL IoObject::control(DWORD, LPVOID, DWORD, LPVOID, DWORD, LPDWORD, LPOVERLAPPED) {
  SetLastError(ERROR_INVALID_FUNCTION);
  return FALSE;
}

}  // namespace platform
