// Completion of overlapped operations. Internal holds STATUS_PENDING while an
// operation is in flight, then 0 or the Win32 error it ended with;
// InternalHigh holds the bytes transferred. Both change under waitLock(),
// together with the record's event.
#pragma once

#include "kernel_object.h"

namespace platform {

void beginOverlapped(OVERLAPPED* overlapped);
// Call with waitLock() held.
void completeOverlappedLocked(OVERLAPPED* overlapped, DWORD error, DWORD bytes);
void completeOverlapped(OVERLAPPED* overlapped, DWORD error, DWORD bytes);

}  // namespace platform
