#include "serial_input_ring.h"

#include <algorithm>
#include <cstring>

namespace platform {
namespace {

// Arrivals the ring keeps for queued bytes: one a read of the device.
constexpr size_t kArrivalCapacity = 4096;

}  // namespace

SerialInputRing::SerialInputRing(size_t capacity)
    : bytes_(std::max<size_t>(capacity, 1)), arrivals_(kArrivalCapacity) {}

size_t SerialInputRing::freeSpace() const {
  return capacity() - static_cast<size_t>(produced_ - taken_.load(std::memory_order_acquire));
}

std::pair<unsigned char*, size_t> SerialInputRing::freeSpan() {
  const size_t tail = static_cast<size_t>(produced_ % capacity());
  return {bytes_.data() + tail, std::min(capacity() - tail, freeSpace())};
}

void SerialInputRing::publishArrival(const Arrival& arrival) {
  const uint64_t at = arrivalsWritten_.load(std::memory_order_relaxed);
  arrivals_[at % arrivals_.size()] = arrival;
  arrivalsWritten_.store(at + 1, std::memory_order_release);
}

void SerialInputRing::publish(const FILETIME& time) {
  const uint64_t end = produced_;
  if (end == written_.load(std::memory_order_relaxed)) return;
  const auto room = [this] {
    return arrivalsWritten_.load(std::memory_order_relaxed) - arrivalsTaken_.load(std::memory_order_acquire) <
           arrivals_.size();
  };
  if (pending_ && room()) {
    publishArrival(pendingArrival_);
    pending_ = false;
  }
  if (pending_) {
    // Still no room: the waiting arrival counts these bytes too, keeping
    // its earlier time.
    pendingArrival_.end = end;
  } else if (room()) {
    publishArrival({end, time});
  } else {
    pending_ = true;
    pendingArrival_ = {end, time};
  }
  written_.store(end, std::memory_order_release);
}

size_t SerialInputRing::size() const {
  return static_cast<size_t>(written_.load(std::memory_order_acquire) - taken_.load(std::memory_order_relaxed));
}

size_t SerialInputRing::take(unsigned char* out, size_t count, std::vector<SERIAL_ARRIVAL>& arrivals,
                             size_t mostArrivals) {
  arrivals.clear();
  const uint64_t from = taken_.load(std::memory_order_relaxed);
  const uint64_t written = written_.load(std::memory_order_acquire);
  count = static_cast<size_t>(std::min<uint64_t>(count, written - from));
  if (count == 0) return 0;  // `out` may be null for an empty read
  const size_t head = static_cast<size_t>(from % capacity());
  const size_t first = std::min(count, capacity() - head);
  std::memcpy(out, bytes_.data() + head, first);
  std::memcpy(out + first, bytes_.data(), count - first);

  const uint64_t to = from + count;
  uint64_t at = from;
  uint64_t next = arrivalsTaken_.load(std::memory_order_relaxed);
  const uint64_t published = arrivalsWritten_.load(std::memory_order_acquire);
  for (; next < published && at < to; ++next) {
    const Arrival& arrival = arrivals_[next % arrivals_.size()];
    if (arrival.end <= at) continue;  // of bytes dropped by a clear
    const uint64_t end = std::min(arrival.end, to);
    const DWORD bytes = static_cast<DWORD>(end - at);
    if (arrivals.size() < mostArrivals)
      arrivals.push_back({bytes, arrival.time});
    else
      arrivals.back().dwBytes += bytes;
    at = end;
    if (arrival.end > to) break;  // its later bytes stay queued
  }
  arrivalsTaken_.store(next, std::memory_order_release);
  taken_.store(to, std::memory_order_release);
  return count;
}

void SerialInputRing::clear() {
  taken_.store(written_.load(std::memory_order_acquire), std::memory_order_release);
  arrivalsTaken_.store(arrivalsWritten_.load(std::memory_order_acquire), std::memory_order_release);
}

void SerialInputRing::resize(size_t capacity) {
  const size_t queued = size();
  capacity = std::max(capacity, queued);
  if (capacity == bytes_.size()) return;
  std::vector<unsigned char> grown(std::max<size_t>(capacity, 1));
  const uint64_t from = taken_.load(std::memory_order_relaxed);
  for (size_t i = 0; i < queued; ++i)
    grown[static_cast<size_t>((from + i) % grown.size())] = bytes_[(from + i) % bytes_.size()];
  bytes_ = std::move(grown);
}

}  // namespace platform
