// Received text as the panels show it (AnsiTextCarry, BytesToHex): however
// the received bytes are cut into blocks, the carry shows the characters
// the whole stream converted at once shows (zero bytes left out, line
// breaks aside: a CR and an LF in two blocks are two breaks), never ends a
// block's text inside a double-byte character, and counts exactly the ANSI
// length that its text measures. Hex display gives three characters a byte.
#include <windows.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "AnsiTextCarry.h"
#include "HexText.h"
#include "fuzz_input.h"

namespace {

std::u16string Wide(const std::string& ansi) {
  if (ansi.empty()) return {};
  const int length = static_cast<int>(ansi.size());
  const int needed = MultiByteToWideChar(CP_ACP, 0, ansi.data(), length, nullptr, 0);
  FUZZ_CHECK(needed > 0 && needed <= length);
  std::u16string wide(static_cast<size_t>(needed), u'\0');
  FUZZ_CHECK(MultiByteToWideChar(CP_ACP, 0, ansi.data(), length, wide.data(), needed) == needed);
  return wide;
}

int AnsiLength(const std::u16string& wide) {
  if (wide.empty()) return 0;
  return WideCharToMultiByte(CP_ACP, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0, nullptr, nullptr);
}

std::u16string WithoutLineBreaks(std::u16string text) {
  std::erase_if(text, [](char16_t c) { return c == u'\r' || c == u'\n'; });
  return text;
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
  std::u16string shown;
  size_t at = 0;
  for (size_t block = 0; block <= lengths.size(); ++block) {
    const size_t length = block < lengths.size() ? std::min(lengths[block], stream.size() - at) : stream.size() - at;
    const std::string bytes = stream.substr(at, length);
    at += length;
    CheckHexDisplay(bytes);
    carry.Take(reinterpret_cast<const BYTE*>(bytes.data()), static_cast<DWORD>(length), nullptr);
    FUZZ_CHECK(carry.AnsiLength() == AnsiLength(carry.Text()));
    FUZZ_CHECK(carry.Text().find(u'\0') == std::u16string::npos);
    shown += carry.Text();
    carry.Forget();
  }
  // A lead byte still held shows broken, as it does at the end of the
  // whole stream converted at once.
  carry.LetGoHeldByte(nullptr);
  FUZZ_CHECK(carry.Text().size() <= 1);
  shown += carry.Text();

  std::string expected;
  for (char c : stream)
    if (c != '\0') expected.push_back(c);
  FUZZ_CHECK(WithoutLineBreaks(shown) == WithoutLineBreaks(Wide(expected)));
  return 0;
}
