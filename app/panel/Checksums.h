// The checksums a message can carry at its end, and the bytes each appends.
//
// The CRCs are the catalogue's entries of these names, with their widths,
// polynomials, initial values, reflections and final XORs:
//   Modbus CRC-16      CRC-16/MODBUS    poly 0x8005 reflected, init 0xFFFF
//   CRC-16/CCITT-FALSE CRC-16/IBM-3740  poly 0x1021, init 0xFFFF
//   CRC-16/XMODEM      CRC-16/XMODEM    poly 0x1021, init 0x0000
//   CRC-8              CRC-8/SMBUS      poly 0x07, init 0x00
//   CRC-32             CRC-32/ISO-HDLC  poly 0x04C11DB7 reflected, init and
//                                       final XOR 0xFFFFFFFF
// and the two simple ones: the 8-bit sum (the bytes added, modulo 256) and
// the 8-bit XOR of the bytes.
//
// Byte order, as each protocol sends it: Modbus low byte first; the
// CCITT-FALSE and XMODEM CRCs high byte first (XMODEM's CRC blocks); CRC-32
// low byte first (as Ethernet's frame check and the gzip trailer carry it).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

enum class Checksum { None, Modbus, CcittFalse, Xmodem, Crc8, Crc32, Sum8, Xor8 };

constexpr int kChecksumCount = 8;

// The checksum's value over the bytes (0 for None).
std::uint32_t ChecksumValue(Checksum Kind, const std::uint8_t* pData, std::size_t nLength);
// The bytes the checksum appends to a message, in the order they are sent.
std::vector<std::uint8_t> ChecksumBytes(Checksum Kind, const std::uint8_t* pData, std::size_t nLength);
// The message with its checksum appended.
std::string WithChecksum(Checksum Kind, const std::string& Message);

// The name the checksum is written by in files ("none", "modbus",
// "ccitt-false", "xmodem", "crc8", "crc32", "sum8", "xor8").
const char* ChecksumKey(Checksum Kind);
// The checksum of that name (any case); false for any other text.
bool ChecksumFromKey(const std::string& Key, Checksum& Kind);
