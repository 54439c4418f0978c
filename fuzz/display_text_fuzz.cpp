// Received text as the panels show it (AnsiTextCarry, BytesToHex): however
// the received bytes are cut into blocks, the carry hands on every non-zero
// byte once, in order, never ends a piece inside a double-byte character,
// and the pieces converted one by one read exactly as the whole text
// converted at once. Hex display gives three characters a byte.
#include <windows.h>

#include <cstring>
#include <string>
#include <vector>

#include "AnsiTextCarry.h"
#include "HexText.h"
#include "fuzz_input.h"

namespace {

// Whether walking the text character by character from its start ends
// exactly at its end (no lead byte left without its second byte).
bool EndsOnCharacterBoundary(const std::string& text) {
  size_t i = 0;
  while (i < text.size()) i += IsDBCSLeadByte(static_cast<BYTE>(text[i])) ? 2 : 1;
  return i == text.size();
}

std::u16string Wide(const std::string& ansi) {
  if (ansi.empty()) return {};
  const int length = static_cast<int>(ansi.size());
  const int needed = MultiByteToWideChar(CP_ACP, 0, ansi.data(), length, nullptr, 0);
  FUZZ_CHECK(needed > 0 && needed <= length);
  std::u16string wide(static_cast<size_t>(needed), u'\0');
  FUZZ_CHECK(MultiByteToWideChar(CP_ACP, 0, ansi.data(), length, wide.data(), needed) == needed);
  return wide;
}

void CheckHexDisplay(const std::string& block) {
  std::vector<char> text(3 * block.size() + 1, 'x');
  BytesToHex(reinterpret_cast<const BYTE*>(block.data()), static_cast<DWORD>(block.size()), text.data());
  FUZZ_CHECK(text.back() == '\0' && std::strlen(text.data()) == 3 * block.size());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzInput input(data, size);
  // The first byte tells how many block lengths follow; the rest of the
  // input is the received stream, the last block taking what remains.
  std::vector<size_t> lengths(input.Byte() % 8);
  for (size_t& length : lengths) length = input.Byte();
  const std::string stream = input.Rest();

  AnsiTextCarry carry;
  std::string shown;
  std::u16string shownWide;
  size_t at = 0;
  for (size_t block = 0; block <= lengths.size(); ++block) {
    const size_t length = block < lengths.size() ? std::min(lengths[block], stream.size() - at) : stream.size() - at;
    const std::string bytes = stream.substr(at, length);
    at += length;
    CheckHexDisplay(bytes);
    const std::string piece = carry.Take(reinterpret_cast<const BYTE*>(bytes.data()), static_cast<DWORD>(length));
    FUZZ_CHECK(EndsOnCharacterBoundary(piece));
    FUZZ_CHECK(piece.find('\0') == std::string::npos);
    shown += piece;
    shownWide += Wide(piece);
  }
  const std::string held = carry.Flush();
  FUZZ_CHECK(held.size() <= 1);
  FUZZ_CHECK(held.empty() || IsDBCSLeadByte(static_cast<BYTE>(held[0])));
  FUZZ_CHECK(carry.Flush().empty());

  std::string expected;
  for (char c : stream)
    if (c != '\0') expected.push_back(c);
  FUZZ_CHECK(shown + held == expected);
  FUZZ_CHECK(shownWide == Wide(shown));
  return 0;
}
