// The reader thread of a serial port: it does nothing but move what the
// device receives into the port's input ring, each read(2) with its time,
// as soon as the bytes are there. It takes no lock, allocates nothing and
// waits only in poll(2), so no other thread of the program can hold it up:
// what a busy window, a preempted holder of some lock or the accessibility
// bridge does never leaves the device unread. Only the machine's scheduler
// can, and it wakes a thread that sleeps this much soon.
//
// It tells the port's service thread through the service's wake-up
// descriptor: of the next arrival, when the service asked for it (arm),
// and of the end of the device (a hang-up: read(2) ends or fails), always.
// When the ring is full it stops reading, so that the kernel holds further
// input, until the ring's consumer says it has taken some (spaceFreed).
#pragma once

#include <atomic>
#include <thread>

#include "serial_input_ring.h"

namespace platform {

class SerialReader {
 public:
  // Reads `fd` into `ring`; `notifyFd` is an eventfd the service polls.
  SerialReader(int fd, SerialInputRing& ring, int notifyFd);
  // Stops the thread.
  ~SerialReader();
  SerialReader(const SerialReader&) = delete;
  SerialReader& operator=(const SerialReader&) = delete;

  // False when the thread could not be made.
  bool start();
  // Ends the thread and waits for it; start() may follow (after a resize).
  void stop();

  // The next bytes read are told through the notify descriptor (once).
  void arm() { armed_.store(true, std::memory_order_release); }
  // The consumer took bytes: a reader waiting for room reads again.
  void spaceFreed();
  // The event character whose arrival is noted (-1: none).
  void setEventChar(int character) { eventChar_.store(character, std::memory_order_relaxed); }
  // Whether the event character came since the last call.
  bool takeEventCharSeen() { return eventCharSeen_.exchange(false, std::memory_order_acq_rel); }
  // The device ended: nothing more will be read.
  bool hungUp() const { return hungUp_.load(std::memory_order_acquire); }

 private:
  void run();
  // Reads what the device holds; false when the device ended.
  bool readAvailable();
  void notify();
  void drain();

  const int fd_;
  SerialInputRing& ring_;
  const int notifyFd_;
  int wakeFd_ = -1;  // stop, or room in the ring
  std::thread thread_;
  std::atomic<bool> stopping_{false};
  std::atomic<bool> armed_{false};
  std::atomic<bool> waitingForRoom_{false};
  std::atomic<int> eventChar_{-1};
  std::atomic<bool> eventCharSeen_{false};
  std::atomic<bool> hungUp_{false};
};

}  // namespace platform
