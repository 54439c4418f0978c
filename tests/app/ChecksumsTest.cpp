// The checksums against the catalogue's check values over "123456789", on
// real frames, and in the byte order each protocol sends.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Checksums.h"

namespace {

std::vector<std::uint8_t> Bytes(const std::string& text) { return {text.begin(), text.end()}; }

std::uint32_t Value(Checksum kind, const std::vector<std::uint8_t>& bytes) {
  return ChecksumValue(kind, bytes.data(), bytes.size());
}

std::vector<std::uint8_t> Appended(Checksum kind, const std::vector<std::uint8_t>& bytes) {
  return ChecksumBytes(kind, bytes.data(), bytes.size());
}

TEST(Checksums, EachMatchesItsCatalogueCheckValueOver123456789) {
  const std::vector<std::uint8_t> check = Bytes("123456789");
  EXPECT_EQ(Value(Checksum::Modbus, check), 0x4B37u);
  EXPECT_EQ(Value(Checksum::CcittFalse, check), 0x29B1u);
  EXPECT_EQ(Value(Checksum::Xmodem, check), 0x31C3u);
  EXPECT_EQ(Value(Checksum::Crc8, check), 0xF4u);
  EXPECT_EQ(Value(Checksum::Crc32, check), 0xCBF43926u);
  EXPECT_EQ(Value(Checksum::Sum8, check), 0xDDu);  // 477 modulo 256
  EXPECT_EQ(Value(Checksum::Xor8, check), 0x31u);
  EXPECT_TRUE(Appended(Checksum::None, check).empty());
}

TEST(Checksums, ModbusFramesGetTheirCrcLowByteFirst) {
  // Read 10 holding registers from address 0 of unit 1, and write 3 to
  // register 1: frames as a Modbus master sends them.
  EXPECT_EQ(Appended(Checksum::Modbus, {0x01, 0x03, 0x00, 0x00, 0x00, 0x0A}), (std::vector<std::uint8_t>{0xC5, 0xCD}));
  EXPECT_EQ(Appended(Checksum::Modbus, {0x01, 0x06, 0x00, 0x01, 0x00, 0x03}), (std::vector<std::uint8_t>{0x98, 0x0B}));
  EXPECT_EQ(WithChecksum(Checksum::Modbus, std::string("\x01\x03\x00\x00\x00\x0A", 6)),
            std::string("\x01\x03\x00\x00\x00\x0A\xC5\xCD", 8));
}

TEST(Checksums, EachIsAppendedInTheOrderItsReceiverChecks) {
  const std::vector<std::uint8_t> check = Bytes("123456789");
  EXPECT_EQ(Appended(Checksum::CcittFalse, check), (std::vector<std::uint8_t>{0x29, 0xB1}));
  EXPECT_EQ(Appended(Checksum::Xmodem, check), (std::vector<std::uint8_t>{0x31, 0xC3}));
  EXPECT_EQ(Appended(Checksum::Crc32, check), (std::vector<std::uint8_t>{0x26, 0x39, 0xF4, 0xCB}));
  EXPECT_EQ(Appended(Checksum::Crc8, check), (std::vector<std::uint8_t>{0xF4}));
  // A receiver runs the CRC over the frame with its checksum: what it then
  // finds is the catalogue's residue only when the order is right.
  for (Checksum kind : {Checksum::Modbus, Checksum::Xmodem, Checksum::Crc8}) {
    const std::string frame = WithChecksum(kind, "123456789");
    EXPECT_EQ(Value(kind, Bytes(frame)), 0u) << ChecksumKey(kind);
  }
  EXPECT_EQ(Value(Checksum::Crc32, Bytes(WithChecksum(Checksum::Crc32, "123456789"))), 0x2144DF1Cu);
}

TEST(Checksums, AnEmptyMessageGetsTheInitialValuesAndTheSimpleSumsWrap) {
  EXPECT_EQ(Appended(Checksum::Modbus, {}), (std::vector<std::uint8_t>{0xFF, 0xFF}));
  EXPECT_EQ(Appended(Checksum::CcittFalse, {}), (std::vector<std::uint8_t>{0xFF, 0xFF}));
  EXPECT_EQ(Appended(Checksum::Crc32, {}), (std::vector<std::uint8_t>{0, 0, 0, 0}));
  EXPECT_EQ(Appended(Checksum::Sum8, {0xFF, 0x02}), (std::vector<std::uint8_t>{0x01}));
  EXPECT_EQ(Appended(Checksum::Xor8, {0xA5, 0xA5}), (std::vector<std::uint8_t>{0x00}));
}

TEST(Checksums, KeysNameEachOnceAndReadBackInAnyCase) {
  for (int n = 0; n < kChecksumCount; ++n) {
    const auto kind = static_cast<Checksum>(n);
    Checksum read = Checksum::None;
    ASSERT_TRUE(ChecksumFromKey(ChecksumKey(kind), read)) << n;
    EXPECT_EQ(read, kind);
  }
  Checksum read = Checksum::Crc8;
  EXPECT_TRUE(ChecksumFromKey("MODBUS", read));
  EXPECT_EQ(read, Checksum::Modbus);
  EXPECT_FALSE(ChecksumFromKey("crc16", read));
  EXPECT_FALSE(ChecksumFromKey("", read));
  EXPECT_EQ(read, Checksum::Modbus) << "unchanged by a refused key";
}

}  // namespace
