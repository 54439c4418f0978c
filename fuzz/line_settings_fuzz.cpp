// Line-settings text (BuildCommDCBA): any text either fails, leaving the
// settings untouched, or gives settings within range with flow control off;
// and the settings a text gives are given again by their own canonical text,
// in both of its forms.
#include <windows.h>

#include <cstring>
#include <string>

#include "fuzz_input.h"

namespace {

const char kParityLetters[] = "NOEMS";                   // by NOPARITY .. SPACEPARITY
const char* const kStopBitsTexts[] = {"1", "1.5", "2"};  // by ONESTOPBIT .. TWOSTOPBITS

DCB StartingSettings() {
  DCB dcb;
  std::memset(&dcb, 0, sizeof dcb);
  dcb.DCBlength = sizeof dcb;
  FUZZ_CHECK(BuildCommDCBA("9600,N,8,1", &dcb) == TRUE);
  return dcb;
}

void CheckWithinRange(const DCB& dcb) {
  FUZZ_CHECK(dcb.BaudRate > 0);
  FUZZ_CHECK(dcb.Parity <= SPACEPARITY);
  FUZZ_CHECK(dcb.ByteSize >= 5 && dcb.ByteSize <= 8);
  FUZZ_CHECK(dcb.StopBits <= TWOSTOPBITS);
  FUZZ_CHECK(dcb.fOutxCtsFlow == 0 && dcb.fOutxDsrFlow == 0 && dcb.fOutX == 0 && dcb.fInX == 0);
  FUZZ_CHECK(dcb.fDsrSensitivity == 0);
}

void CheckGivenAgain(const DCB& starting, const DCB& parsed, const std::string& canonical) {
  DCB again = starting;
  FUZZ_CHECK(BuildCommDCBA(canonical.c_str(), &again) == TRUE);
  FUZZ_CHECK(std::memcmp(&again, &parsed, sizeof again) == 0);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzInput input(data, size);
  const std::string text = input.Rest();  // read as the zero-ended text it starts with
  static const DCB starting = StartingSettings();

  DCB dcb = starting;
  SetLastError(ERROR_SUCCESS);
  const BOOL result = BuildCommDCBA(text.c_str(), &dcb);
  if (result == FALSE) {
    FUZZ_CHECK(GetLastError() == ERROR_INVALID_PARAMETER);
    FUZZ_CHECK(std::memcmp(&dcb, &starting, sizeof dcb) == 0);
    return 0;
  }
  FUZZ_CHECK(result == TRUE);
  FUZZ_CHECK(dcb.DCBlength == starting.DCBlength);
  CheckWithinRange(dcb);

  const std::string baud = std::to_string(dcb.BaudRate);
  const std::string parity(1, kParityLetters[dcb.Parity]);
  const std::string dataBits = std::to_string(dcb.ByteSize);
  const std::string stopBits = kStopBitsTexts[dcb.StopBits];
  CheckGivenAgain(starting, dcb, baud + "," + parity + "," + dataBits + "," + stopBits);
  CheckGivenAgain(starting, dcb, "baud=" + baud + " parity=" + parity + " data=" + dataBits + " stop=" + stopBits);
  return 0;
}
