// What every fuzz target shares: property checks that end the run with a
// report (libFuzzer then keeps the input as a crash), and a reader that
// takes an input apart into the fields a target needs.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#define FUZZ_CHECK(condition)                                                                      \
  do {                                                                                             \
    if (!(condition)) {                                                                            \
      std::fprintf(stderr, "%s:%d: property does not hold: %s\n", __FILE__, __LINE__, #condition); \
      std::abort();                                                                                \
    }                                                                                              \
  } while (0)

// Reads an input front to back. Past the end every field is empty or zero,
// so that any input, however short, is a valid case.
class FuzzInput {
 public:
  FuzzInput(const uint8_t* data, size_t size) : data_(data), size_(size) {}

  uint8_t Byte() { return position_ < size_ ? data_[position_++] : 0; }

  uint32_t Number32() {
    uint32_t value = 0;
    for (int i = 0; i < 4; ++i) value = value << 8 | Byte();
    return value;
  }

  // The bytes up to the next separator (which is passed over) or the end.
  std::string Field(char separator) {
    std::string field;
    while (position_ < size_ && static_cast<char>(data_[position_]) != separator)
      field.push_back(static_cast<char>(data_[position_++]));
    if (position_ < size_) ++position_;
    return field;
  }

  std::string Rest() {
    std::string rest(reinterpret_cast<const char*>(data_) + position_, size_ - position_);
    position_ = size_;
    return rest;
  }

  bool AtEnd() const { return position_ >= size_; }

 private:
  const uint8_t* data_;
  size_t size_;
  size_t position_ = 0;
};
