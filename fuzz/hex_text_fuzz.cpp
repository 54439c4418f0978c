// Hex text (HexToBytes, BytesToHex): typed text converts within its area
// and never to more bytes than it has digit pairs; any bytes written as hex
// text, in either case, read back as the same bytes.
#include <cctype>
#include <cstring>
#include <string>
#include <vector>

#include "HexText.h"
#include "fuzz_input.h"

namespace {

std::vector<BYTE> Converted(const std::string& text) {
  // Exactly the area the function asks for, so that a byte written past it
  // is seen by the address sanitizer.
  std::vector<BYTE> area(std::strlen(text.c_str()) / 2 + 1, 0xEE);
  const int count = HexToBytes(text.c_str(), area.data());
  FUZZ_CHECK(count >= 0 && static_cast<size_t>(count) < area.size());
  FUZZ_CHECK(area[count] == 0);
  area.resize(count);
  return area;
}

std::string AsHex(const std::vector<BYTE>& bytes) {
  std::vector<char> text(3 * bytes.size() + 1, 'x');
  BytesToHex(bytes.data(), static_cast<DWORD>(bytes.size()), text.data());
  FUZZ_CHECK(text.back() == '\0' && std::strlen(text.data()) == 3 * bytes.size());
  return text.data();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzInput input(data, size);
  const std::string typed = input.Rest();

  // Typed text: no more bytes than the digits it holds can pair up.
  const std::vector<BYTE> bytes = Converted(typed);
  size_t digits = 0;
  for (const char* c = typed.c_str(); *c != '\0'; ++c)
    if (std::isxdigit(static_cast<unsigned char>(*c))) ++digits;
  FUZZ_CHECK(bytes.size() <= digits / 2);
  FUZZ_CHECK(Converted(AsHex(bytes)) == bytes);

  // Any bytes, zero bytes included, survive their way through hex text.
  const std::vector<BYTE> raw(typed.begin(), typed.end());
  const std::string hex = AsHex(raw);
  for (size_t i = 0; i < hex.size(); ++i) {
    const bool blank = i % 3 == 2;
    FUZZ_CHECK(blank ? hex[i] == ' ' : std::isxdigit(static_cast<unsigned char>(hex[i])) && !std::islower(hex[i]));
  }
  FUZZ_CHECK(Converted(hex) == raw);
  std::string lower = hex;
  for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  FUZZ_CHECK(Converted(lower) == raw);
  return 0;
}
