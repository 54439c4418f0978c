// Bytes as a script writes them: hexadecimal pairs, and whether text is
// UTF-8 (a script's text is; what it sends as text must be).
#pragma once

#include <string>

// "01 03 0A ff" (blanks between pairs, or none) as its bytes; false for
// any other character or a digit without its pair.
bool BytesOfHexPairs(const std::string& Text, std::string& Bytes);
// "01 03 0A FF".
std::string HexPairsOf(const std::string& Bytes);
// The offset of the first byte that begins no UTF-8 character; npos when
// the text is all UTF-8.
size_t FirstNonUtf8(const std::string& Text);
