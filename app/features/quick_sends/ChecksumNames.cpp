#include "ChecksumNames.h"

#include "toolkit/translation.h"

namespace {

// In the order of the Checksum values.
const char* const kShownNames[kChecksumCount] = {
    TR_MARK("Checksums", "无校验"),
    TR_MARK("Checksums", "Modbus CRC-16 (低字节在前)"),
    TR_MARK("Checksums", "CRC-16/CCITT-FALSE (高字节在前)"),
    TR_MARK("Checksums", "CRC-16/XMODEM (高字节在前)"),
    TR_MARK("Checksums", "CRC-8/SMBUS (多项式 0x07)"),
    TR_MARK("Checksums", "CRC-32 (低字节在前)"),
    TR_MARK("Checksums", "8 位累加和"),
    TR_MARK("Checksums", "8 位异或"),
};

}  // namespace

String ChecksumShownName(Checksum Kind) {
  const int n = static_cast<int>(Kind);
  return n >= 0 && n < kChecksumCount ? TrText("Checksums", kShownNames[n]) : String();
}
