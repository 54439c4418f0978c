// The kernel object behind a thread handle.
#pragma once

#include "kernel_object.h"

namespace platform {

class ThreadObject : public Waitable {
 public:
  explicit ThreadObject(DWORD threadId) : id(threadId) {}
  bool isSignalled() const override { return ended; }

  const DWORD id;
  // Guarded by waitLock().
  bool ended = false;
  bool terminated = false;
  DWORD exitCode = STILL_ACTIVE;
};

// The object of the calling thread when this layer started it, else null.
ThreadObject* currentThreadObject();

}  // namespace platform
