// What menus and lists show for each checksum, in the window's language.
// The checksums themselves are computed without the toolkit; their shown
// names are kept here, where the window shows them.
#pragma once

#include "Checksums.h"
#include "toolkit/strings.h"

// Such as "Modbus CRC-16 (低字节在前)", translated.
String ChecksumShownName(Checksum Kind);
