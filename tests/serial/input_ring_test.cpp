// A port's input ring on its own: a producer thread and a consumer that
// never wait for each other move a long stream whole and in order through
// many turns of the ring, and each byte keeps the time of the arrival it
// came in.
#include <gtest/gtest.h>

#include <random>
#include <thread>
#include <vector>

#include "serial_input_ring.h"

namespace {

unsigned char StreamByte(uint64_t position) { return static_cast<unsigned char>(position * 7 + position / 251); }

FILETIME TimeOf(uint64_t arrival) { return FILETIME{static_cast<DWORD>(arrival), 0}; }

TEST(SerialInputRing, ALongStreamPassesWholeAndInOrderWithItsArrivals) {
  platform::SerialInputRing ring(1000);
  constexpr uint64_t kTotal = 200'000;
  // Arrival n holds the bytes up to its end; its time is n.
  std::vector<uint64_t> arrivalEnds;
  std::thread producer([&] {
    std::mt19937 random(1);
    uint64_t position = 0;
    uint64_t arrival = 0;
    while (position < kTotal) {
      const size_t want = std::min<uint64_t>(1 + random() % 700, kTotal - position);
      size_t produced = 0;
      while (produced < want) {
        auto [space, room] = ring.freeSpan();
        if (room == 0) {
          std::this_thread::yield();
          continue;
        }
        const size_t count = std::min(room, want - produced);
        for (size_t i = 0; i < count; ++i) space[i] = StreamByte(position + produced + i);
        ring.produce(count);
        produced += count;
      }
      position += produced;
      ring.publish(TimeOf(++arrival));
    }
  });
  std::mt19937 random(2);
  std::vector<unsigned char> buffer(1200);
  std::vector<SERIAL_ARRIVAL> arrivals;
  uint64_t taken = 0, wrong = 0;
  DWORD lastTime = 0;
  while (taken < kTotal) {
    const size_t count = ring.take(buffer.data(), 1 + random() % buffer.size(), arrivals, 32);
    DWORD bytes = 0;
    for (const SERIAL_ARRIVAL& arrival : arrivals) {
      EXPECT_GE(arrival.ftArrival.dwLowDateTime, lastTime);
      lastTime = arrival.ftArrival.dwLowDateTime;
      bytes += arrival.dwBytes;
    }
    EXPECT_EQ(bytes, count) << "the arrivals account for every byte taken";
    for (size_t i = 0; i < count; ++i) wrong += buffer[i] != StreamByte(taken + i);
    taken += count;
  }
  producer.join();
  EXPECT_EQ(wrong, 0u);
  EXPECT_EQ(ring.size(), 0u);
}

}  // namespace
