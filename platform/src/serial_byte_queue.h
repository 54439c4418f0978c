// A byte queue of fixed capacity on a ring: a port's input queue. The free
// space is offered as one contiguous span so that read() can fill it
// directly.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <utility>
#include <vector>

namespace platform {

class SerialByteQueue {
 public:
  explicit SerialByteQueue(size_t capacity) : storage_(capacity) {}

  size_t size() const { return size_; }
  size_t capacity() const { return storage_.size(); }
  size_t freeSpace() const { return capacity() - size_; }

  // The longest contiguous free span at the tail; commit() what was filled.
  std::pair<unsigned char*, size_t> freeSpan() {
    const size_t tail = (head_ + size_) % capacity();
    const size_t span = tail >= head_ && size_ < capacity() ? capacity() - tail : freeSpace();
    return {storage_.data() + tail, std::min(span, freeSpace())};
  }
  void commit(size_t count) { size_ += count; }

  // Moves up to `count` bytes to `out`; returns how many.
  size_t take(unsigned char* out, size_t count) {
    count = std::min(count, size_);
    if (count == 0) return 0;  // `out` may be null for an empty read
    const size_t first = std::min(count, capacity() - head_);
    std::memcpy(out, storage_.data() + head_, first);
    std::memcpy(out + first, storage_.data(), count - first);
    head_ = (head_ + count) % capacity();
    size_ -= count;
    if (size_ == 0) head_ = 0;  // the whole ring is one free span again
    return count;
  }

  void clear() {
    head_ = 0;
    size_ = 0;
  }

  // Grows the ring, keeping the queued bytes in order. Never shrinks below
  // what is queued.
  void resize(size_t capacity) {
    capacity = std::max(capacity, size_);
    if (capacity == storage_.size()) return;
    std::vector<unsigned char> grown(capacity);
    const size_t count = size_;
    take(grown.data(), count);
    storage_ = std::move(grown);
    head_ = 0;
    size_ = count;
  }

 private:
  std::vector<unsigned char> storage_;
  size_t head_ = 0;
  size_t size_ = 0;
};

}  // namespace platform
