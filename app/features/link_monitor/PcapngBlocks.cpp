// pcapng blocks: a type, a total length, the body padded to 32 bits, options
// ending with opt_endofopt, and the total length again.
#include "PcapngBlocks.h"

#include <cstdint>

namespace {

constexpr DWORD kSectionHeaderType = 0x0A0D0D0A;
constexpr DWORD kInterfaceType = 1;
constexpr DWORD kEnhancedPacketType = 6;
constexpr DWORD kByteOrderMagic = 0x1A2B3C4D;
constexpr WORD kShbUserAppl = 4;
constexpr WORD kIfName = 2;
constexpr WORD kIfTsresol = 9;
constexpr WORD kEpbFlags = 2;
constexpr DWORD kInbound = 1;
constexpr DWORD kOutbound = 2;
// The serial link's event types: the start of data sent or received, and a
// break.
constexpr BYTE kEventDataTxStart = 1;
constexpr BYTE kEventDataRxStart = 2;
constexpr BYTE kEventSerialBreak = 9;
constexpr ULONGLONG kUnixEpochIntervals = 116444736000000000ULL;

void Put32(std::string& Out, DWORD Value) {
  for (int shift = 0; shift < 32; shift += 8) Out += static_cast<char>((Value >> shift) & 0xFF);
}

void Put16(std::string& Out, WORD Value) {
  Out += static_cast<char>(Value & 0xFF);
  Out += static_cast<char>(Value >> 8);
}

void PutBig32(std::string& Out, DWORD Value) {
  for (int shift = 24; shift >= 0; shift -= 8) Out += static_cast<char>((Value >> shift) & 0xFF);
}

void Pad(std::string& Out) {
  while (Out.size() % 4 != 0) Out += '\0';
}

void PutOption(std::string& Out, WORD Code, const std::string& Value) {
  Put16(Out, Code);
  Put16(Out, static_cast<WORD>(Value.size()));
  Out += Value;
  Pad(Out);
}

void EndOptions(std::string& Out) { Put32(Out, 0); }

std::string Block(DWORD Type, const std::string& Body) {
  const DWORD total = static_cast<DWORD>(12 + Body.size());
  std::string block;
  block.reserve(total);
  Put32(block, Type);
  Put32(block, total);
  block += Body;
  Put32(block, total);
  return block;
}

}  // namespace

ULONGLONG UnixMicroseconds(ULONGLONG FileTime) {
  return FileTime < kUnixEpochIntervals ? 0 : (FileTime - kUnixEpochIntervals) / 10;
}

std::string PcapngSectionHeader(const std::string& Application) {
  std::string body;
  Put32(body, kByteOrderMagic);
  Put16(body, 1);
  Put16(body, 0);
  Put32(body, 0xFFFFFFFF);  // section length not given: the file grows
  Put32(body, 0xFFFFFFFF);
  PutOption(body, kShbUserAppl, Application);
  EndOptions(body);
  return Block(kSectionHeaderType, body);
}

std::string PcapngInterface(const std::string& Name) {
  std::string body;
  Put16(body, kLinkTypeRtacSerial);
  Put16(body, 0);
  Put32(body, 0);  // no snapshot length: every byte is kept
  PutOption(body, kIfName, Name);
  PutOption(body, kIfTsresol, std::string(1, '\x06'));
  EndOptions(body);
  return Block(kInterfaceType, body);
}

std::string PcapngPacket(DWORD Interface, const LinkFrame& Frame) {
  const ULONGLONG microseconds = UnixMicroseconds(Frame.Start);
  std::string payload;
  PutBig32(payload, static_cast<DWORD>(microseconds / 1000000));
  PutBig32(payload, static_cast<DWORD>(microseconds % 1000000));
  payload += static_cast<char>(Frame.BreakMs > 0 ? kEventSerialBreak
                               : Frame.Sent      ? kEventDataTxStart
                                                 : kEventDataRxStart);
  payload += static_cast<char>(Frame.Lines);  // the header's bits are the record's
  payload += std::string(2, '\0');
  payload += Frame.Bytes;

  std::string body;
  Put32(body, Interface);
  Put32(body, static_cast<DWORD>(microseconds >> 32));
  Put32(body, static_cast<DWORD>(microseconds));
  Put32(body, static_cast<DWORD>(payload.size()));
  Put32(body, static_cast<DWORD>(payload.size()));
  body += payload;
  Pad(body);
  std::string flags;
  Put32(flags, Frame.Sent ? kOutbound : kInbound);
  PutOption(body, kEpbFlags, flags);
  EndOptions(body);
  return Block(kEnhancedPacketType, body);
}
