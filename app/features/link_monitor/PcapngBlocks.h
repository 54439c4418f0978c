// The blocks of a pcapng file (the capture format Wireshark reads), as
// bytes: a section header, an interface description per port and an
// enhanced packet per frame. Serial frames are packets of link type
// LINKTYPE_RTAC_SERIAL (250): each payload starts with that link's 12-byte
// header (arrival time in seconds and microseconds, big-endian, an event
// type that gives the direction, the control lines as the frame began
// (CTS, DCD, DSR, RTS, DTR, RI: LinkLine's bits) and two footer bytes),
// which Wireshark shows and can hand on to a chosen protocol (Modbus RTU).
#pragma once

#include <windows.h>

#include <string>

#include "LinkRecord.h"

inline constexpr WORD kLinkTypeRtacSerial = 250;

// The section header: little-endian, version 1.0, length unknown.
std::string PcapngSectionHeader(const std::string& Application);
// An interface named for its port ("COM3"), time stamps in microseconds.
std::string PcapngInterface(const std::string& Name);
// The frame as a packet of the interface, with its direction (received is
// inbound, sent outbound) in the packet's flags.
std::string PcapngPacket(DWORD Interface, const LinkFrame& Frame);

// Microseconds since 1970 of a FILETIME count.
ULONGLONG UnixMicroseconds(ULONGLONG FileTime);
