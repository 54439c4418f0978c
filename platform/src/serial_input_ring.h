// A serial port's input queue: a ring of bytes with the time each read(2)
// put its bytes there, filled by the port's reader thread alone and emptied
// by the port's readers, who take it in turn under the port's lock. The two
// sides meet only in atomic counts, so the reader thread never waits for
// anyone to put bytes in: a reader preempted in the middle of its copy
// holds up no read of the device.
//
// Positions count every byte since the ring was made; the bytes queued are
// [taken, written). Each arrival records the end of its bytes and when they
// were read. Arrivals are published before their bytes, so a consumer that
// sees a byte sees its arrival too; when the arrivals' own ring is full (a
// consumer thousands of reads behind) the newest bytes' arrival waits to be
// published and those bytes are taken without one.
#pragma once

#include <windows.h>

#include <kestrix/serial_arrivals.h>

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

namespace platform {

class SerialInputRing {
 public:
  explicit SerialInputRing(size_t capacity);

  size_t capacity() const { return bytes_.size(); }

  // Producer: the longest contiguous free span at the end.
  std::pair<unsigned char*, size_t> freeSpan();
  size_t freeSpace() const;
  // Producer: `count` bytes written into the free span, kept back until
  // publish.
  void produce(size_t count) { produced_ += count; }
  // Producer: what was produced since the last publish is one arrival,
  // read at `time`; its bytes are queued now.
  void publish(const FILETIME& time);
  // Every byte committed so far, for whoever counts arrivals.
  uint64_t written() const { return written_.load(std::memory_order_acquire); }

  // Consumer (one at a time).
  size_t size() const;
  bool full() const { return size() == capacity(); }
  // Moves up to `count` bytes to `out` and their arrivals to `arrivals`
  // (at most `mostArrivals`; the last counts what does not fit). Returns
  // how many bytes.
  size_t take(unsigned char* out, size_t count, std::vector<SERIAL_ARRIVAL>& arrivals, size_t mostArrivals);
  // Drops every byte queued now.
  void clear();

  // Neither side running: a new capacity, keeping what is queued.
  void resize(size_t capacity);

 private:
  struct Arrival {
    uint64_t end;
    FILETIME time;
  };
  void publishArrival(const Arrival& arrival);

  std::vector<unsigned char> bytes_;
  uint64_t produced_ = 0;  // producer only; written_ once published
  std::atomic<uint64_t> written_{0};
  std::atomic<uint64_t> taken_{0};
  std::vector<Arrival> arrivals_;
  std::atomic<uint64_t> arrivalsWritten_{0};
  std::atomic<uint64_t> arrivalsTaken_{0};
  // Producer only: an arrival the full ring of arrivals could not take yet.
  bool pending_ = false;
  Arrival pendingArrival_{};
};

}  // namespace platform
