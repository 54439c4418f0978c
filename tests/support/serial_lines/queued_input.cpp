#include "queued_input.h"

namespace serial_lines {

DWORD QueuedInput(HANDLE hPort) {
  DWORD errors = 0;
  COMSTAT status{};
  if (!ClearCommError(hPort, &errors, &status)) return 0;
  return status.cbInQue;
}

}  // namespace serial_lines
