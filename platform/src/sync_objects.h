// Events and semaphores. Their state changes only under waitLock().
#pragma once

#include "kernel_object.h"

namespace platform {

class EventObject : public Waitable {
 public:
  EventObject(bool manualReset, bool signalled) : manualReset_(manualReset), signalled_(signalled) {}
  bool isSignalled() const override { return signalled_; }
  void consume() override {
    if (!manualReset_) signalled_ = false;
  }
  void set(bool signalled) { signalled_ = signalled; }

 private:
  const bool manualReset_;
  bool signalled_;
};

class SemaphoreObject : public Waitable {
 public:
  SemaphoreObject(LONG count, LONG maximum) : count_(count), maximum_(maximum) {}
  bool isSignalled() const override { return count_ > 0; }
  void consume() override { --count_; }
  bool release(LONG amount, LONG* previous) {
    if (amount <= 0 || amount > maximum_ - count_) return false;
    if (previous) *previous = count_;
    count_ += amount;
    return true;
  }

 private:
  LONG count_;
  const LONG maximum_;
};

}  // namespace platform
