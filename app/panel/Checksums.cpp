#include "Checksums.h"

#include <cctype>

namespace {

// A CRC computed bit by bit: messages are short, and one loop serves every
// width. Reflected CRCs shift right with the reversed polynomial.
struct CrcModel {
  int nWidth;
  std::uint32_t dwPoly;  // reversed when bReflected
  std::uint32_t dwInit;
  bool bReflected;
  std::uint32_t dwXorOut;
};

std::uint32_t Crc(const CrcModel& Model, const std::uint8_t* pData, std::size_t nLength) {
  const std::uint32_t mask = Model.nWidth == 32 ? 0xFFFFFFFFu : (1u << Model.nWidth) - 1;
  const std::uint32_t top = 1u << (Model.nWidth - 1);
  std::uint32_t crc = Model.dwInit;
  for (std::size_t i = 0; i < nLength; ++i) {
    if (Model.bReflected) {
      crc ^= pData[i];
      for (int bit = 0; bit < 8; ++bit) crc = (crc & 1) ? (crc >> 1) ^ Model.dwPoly : crc >> 1;
    } else {
      crc ^= std::uint32_t{pData[i]} << (Model.nWidth - 8);
      for (int bit = 0; bit < 8; ++bit) crc = (crc & top) ? ((crc << 1) ^ Model.dwPoly) & mask : (crc << 1) & mask;
    }
  }
  return (crc ^ Model.dwXorOut) & mask;
}

constexpr CrcModel kModbus = {16, 0xA001, 0xFFFF, true, 0};
constexpr CrcModel kCcittFalse = {16, 0x1021, 0xFFFF, false, 0};
constexpr CrcModel kXmodem = {16, 0x1021, 0x0000, false, 0};
constexpr CrcModel kSmbus = {8, 0x07, 0x00, false, 0};
constexpr CrcModel kIsoHdlc = {32, 0xEDB88320, 0xFFFFFFFF, true, 0xFFFFFFFF};

// In the order of the Checksum values.
constexpr const char* kKeys[kChecksumCount] = {"none", "modbus", "ccitt-false", "xmodem",
                                               "crc8", "crc32",  "sum8",        "xor8"};

}  // namespace

std::uint32_t ChecksumValue(Checksum Kind, const std::uint8_t* pData, std::size_t nLength) {
  switch (Kind) {
    case Checksum::None:
      return 0;
    case Checksum::Modbus:
      return Crc(kModbus, pData, nLength);
    case Checksum::CcittFalse:
      return Crc(kCcittFalse, pData, nLength);
    case Checksum::Xmodem:
      return Crc(kXmodem, pData, nLength);
    case Checksum::Crc8:
      return Crc(kSmbus, pData, nLength);
    case Checksum::Crc32:
      return Crc(kIsoHdlc, pData, nLength);
    case Checksum::Sum8: {
      std::uint32_t sum = 0;
      for (std::size_t i = 0; i < nLength; ++i) sum += pData[i];
      return sum & 0xFF;
    }
    case Checksum::Xor8: {
      std::uint32_t all = 0;
      for (std::size_t i = 0; i < nLength; ++i) all ^= pData[i];
      return all;
    }
  }
  return 0;
}

std::vector<std::uint8_t> ChecksumBytes(Checksum Kind, const std::uint8_t* pData, std::size_t nLength) {
  const std::uint32_t value = ChecksumValue(Kind, pData, nLength);
  const auto byte = [value](int n) { return static_cast<std::uint8_t>(value >> (8 * n)); };
  switch (Kind) {
    case Checksum::None:
      return {};
    case Checksum::Modbus:
      return {byte(0), byte(1)};
    case Checksum::CcittFalse:
    case Checksum::Xmodem:
      return {byte(1), byte(0)};
    case Checksum::Crc32:
      return {byte(0), byte(1), byte(2), byte(3)};
    case Checksum::Crc8:
    case Checksum::Sum8:
    case Checksum::Xor8:
      return {byte(0)};
  }
  return {};
}

std::string WithChecksum(Checksum Kind, const std::string& Message) {
  const auto* bytes = reinterpret_cast<const std::uint8_t*>(Message.data());
  const std::vector<std::uint8_t> check = ChecksumBytes(Kind, bytes, Message.size());
  return Message + std::string(check.begin(), check.end());
}

const char* ChecksumKey(Checksum Kind) { return kKeys[static_cast<int>(Kind)]; }

bool ChecksumFromKey(const std::string& Key, Checksum& Kind) {
  std::string lower = Key;
  for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  for (int n = 0; n < kChecksumCount; ++n)
    if (lower == kKeys[n]) {
      Kind = static_cast<Checksum>(n);
      return true;
    }
  return false;
}
