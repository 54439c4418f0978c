// Registry data of the serial device map (PortNumberOf, as the port lists
// are filled): a number is taken exactly from "COM" and decimal digits that
// fit a signed 32-bit number, and the name listed for it reads back as the
// same number; any other data names no port.
#include <climits>
#include <string>

#include "PortNumberText.h"
#include "fuzz_input.h"

namespace {

// The number that the data spells, or -1 when it is not "COM" and a
// decimal number within range.
long long NumberSpelt(const std::string& data) {
  if (data.size() < 4 || data.compare(0, 3, "COM") != 0) return -1;
  long long value = 0;
  for (size_t i = 3; i < data.size(); ++i) {
    if (data[i] < '0' || data[i] > '9') return -1;
    value = value * 10 + (data[i] - '0');
    if (value > INT_MAX) return -1;
  }
  return value;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzInput input(data, size);
  const std::string bytes = input.Rest();
  const String text(bytes);

  int number = -7;
  const bool accepted = PortNumberOf(text, number);
  const long long spelt = NumberSpelt(bytes);
  FUZZ_CHECK(accepted == (spelt >= 0));
  if (!accepted) {
    FUZZ_CHECK(number == -7);  // untouched
    return 0;
  }
  FUZZ_CHECK(number == spelt);
  int again = -7;
  FUZZ_CHECK(PortNumberOf("COM" + IntToStr(number), again) && again == number);
  return 0;
}
