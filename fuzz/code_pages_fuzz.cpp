// Code-page conversions between GBK, UTF-16 and UTF-8, both ways: sizes
// asked for are the sizes written, a too-small area is refused and left as
// it was, the lenient conversion fails exactly where the strict one would
// not, and well-formed text survives a round trip through the other forms.
#include <windows.h>

#include <string>
#include <vector>

#include "fuzz_input.h"

namespace {

constexpr UINT kGbk = 936;
constexpr WCHAR kReplacement = 0xFFFD;

// Converts the bytes to UTF-16; checks the sizing rules on the way. Empty
// when a strict conversion refuses the input.
bool ToWide(UINT codePage, const std::string& bytes, bool strict, std::u16string& wide) {
  const DWORD flags = strict ? MB_ERR_INVALID_CHARS : 0;
  const int length = static_cast<int>(bytes.size());
  const int needed = MultiByteToWideChar(codePage, flags, bytes.data(), length, nullptr, 0);
  if (needed == 0) {
    FUZZ_CHECK(strict && GetLastError() == ERROR_NO_UNICODE_TRANSLATION);
    return false;
  }
  FUZZ_CHECK(needed <= length);  // one unit at most for each byte
  wide.assign(static_cast<size_t>(needed) + 1, u'#');
  if (needed > 1) {
    FUZZ_CHECK(MultiByteToWideChar(codePage, flags, bytes.data(), length, wide.data(), needed - 1) == 0);
    FUZZ_CHECK(GetLastError() == ERROR_INSUFFICIENT_BUFFER);
    FUZZ_CHECK(wide == std::u16string(static_cast<size_t>(needed) + 1, u'#'));
  }
  FUZZ_CHECK(MultiByteToWideChar(codePage, flags, bytes.data(), length, wide.data(), needed) == needed);
  FUZZ_CHECK(wide[static_cast<size_t>(needed)] == u'#');
  wide.resize(static_cast<size_t>(needed));
  return true;
}

// Converts UTF-16 to the code page; `usedDefault` tells (for GBK) whether a
// unit had no character there.
bool FromWide(UINT codePage, const std::u16string& wide, bool strict, std::string& bytes, bool* usedDefault) {
  const DWORD flags = strict ? WC_ERR_INVALID_CHARS : 0;
  const int length = static_cast<int>(wide.size());
  BOOL used = FALSE;
  BOOL* usedPlace = codePage == CP_UTF8 ? nullptr : &used;
  const int needed = WideCharToMultiByte(codePage, flags, wide.data(), length, nullptr, 0, nullptr, usedPlace);
  if (needed == 0) {
    FUZZ_CHECK(strict && GetLastError() == ERROR_NO_UNICODE_TRANSLATION);
    return false;
  }
  FUZZ_CHECK(needed <= 3 * length);
  bytes.assign(static_cast<size_t>(needed) + 1, '#');
  if (needed > 1) {
    FUZZ_CHECK(
        WideCharToMultiByte(codePage, flags, wide.data(), length, bytes.data(), needed - 1, nullptr, usedPlace) == 0);
    FUZZ_CHECK(GetLastError() == ERROR_INSUFFICIENT_BUFFER);
    FUZZ_CHECK(bytes == std::string(static_cast<size_t>(needed) + 1, '#'));
  }
  FUZZ_CHECK(WideCharToMultiByte(codePage, flags, wide.data(), length, bytes.data(), needed, nullptr, usedPlace) ==
             needed);
  FUZZ_CHECK(bytes[static_cast<size_t>(needed)] == '#');
  bytes.resize(static_cast<size_t>(needed));
  if (usedDefault != nullptr) *usedDefault = used == TRUE;
  return true;
}

bool HasUnpairedSurrogate(const std::u16string& wide) {
  for (size_t i = 0; i < wide.size(); ++i) {
    const char16_t unit = wide[i];
    if (unit >= 0xD800 && unit <= 0xDBFF && i + 1 < wide.size() && wide[i + 1] >= 0xDC00 && wide[i + 1] <= 0xDFFF) {
      ++i;
    } else if (unit >= 0xD800 && unit <= 0xDFFF) {
      return true;
    }
  }
  return false;
}

// UTF-16 that a conversion gave must be well-formed: it goes to UTF-8
// strictly and comes back the same.
void CheckWellFormed(const std::u16string& wide) {
  FUZZ_CHECK(!HasUnpairedSurrogate(wide));
  std::string utf8;
  FUZZ_CHECK(FromWide(CP_UTF8, wide, true, utf8, nullptr));
  std::u16string back;
  FUZZ_CHECK(ToWide(CP_UTF8, utf8, true, back));
  FUZZ_CHECK(back == wide);
}

void CheckGbkInput(const std::string& bytes) {
  std::u16string lenient;
  FUZZ_CHECK(ToWide(kGbk, bytes, false, lenient));
  CheckWellFormed(lenient);
  // GBK has no character for U+FFFD: a replacement means the strict
  // conversion refuses the input, and nothing else does.
  const bool replaced = lenient.find(kReplacement) != std::u16string::npos;
  std::u16string strict;
  FUZZ_CHECK(ToWide(kGbk, bytes, true, strict) == !replaced);
  if (replaced) return;
  FUZZ_CHECK(strict == lenient);
  std::string again;
  bool usedDefault = true;
  FUZZ_CHECK(FromWide(kGbk, strict, false, again, &usedDefault));
  FUZZ_CHECK(!usedDefault && again == bytes);
}

void CheckUtf8Input(const std::string& bytes) {
  std::u16string lenient;
  FUZZ_CHECK(ToWide(CP_UTF8, bytes, false, lenient));
  CheckWellFormed(lenient);
  std::u16string strict;
  if (!ToWide(CP_UTF8, bytes, true, strict)) {
    FUZZ_CHECK(lenient.find(kReplacement) != std::u16string::npos);
    return;
  }
  FUZZ_CHECK(strict == lenient);
  std::string again;
  FUZZ_CHECK(FromWide(CP_UTF8, strict, true, again, nullptr) && again == bytes);
  // To GBK and back: every character GBK has comes back as it was.
  std::string gbk;
  bool usedDefault = true;
  FUZZ_CHECK(FromWide(kGbk, strict, false, gbk, &usedDefault));
  if (!usedDefault) {
    std::u16string back;
    FUZZ_CHECK(ToWide(kGbk, gbk, true, back) && back == strict);
  }
}

void CheckWideInput(const std::u16string& wide) {
  std::string utf8;
  FUZZ_CHECK(FromWide(CP_UTF8, wide, false, utf8, nullptr));
  std::u16string back;
  FUZZ_CHECK(ToWide(CP_UTF8, utf8, true, back));
  std::string strict;
  FUZZ_CHECK(FromWide(CP_UTF8, wide, true, strict, nullptr) == !HasUnpairedSurrogate(wide));
  if (!HasUnpairedSurrogate(wide)) FUZZ_CHECK(strict == utf8 && back == wide);

  std::string gbk;
  bool usedDefault = true;
  FUZZ_CHECK(FromWide(kGbk, wide, false, gbk, &usedDefault));
  std::u16string fromGbk;
  FUZZ_CHECK(ToWide(kGbk, gbk, true, fromGbk));
  if (!usedDefault) FUZZ_CHECK(fromGbk == wide);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzInput input(data, size);
  const uint8_t form = input.Byte() % 3;
  const std::string bytes = input.Rest();
  if (bytes.empty()) return 0;  // an empty input is refused by the calls themselves
  if (form == 0) {
    CheckGbkInput(bytes);
  } else if (form == 1) {
    CheckUtf8Input(bytes);
  } else if (bytes.size() >= 2) {
    std::u16string wide(bytes.size() / 2, u'\0');
    for (size_t i = 0; i < wide.size(); ++i)
      wide[i] = static_cast<char16_t>(static_cast<uint8_t>(bytes[2 * i]) | static_cast<uint8_t>(bytes[2 * i + 1]) << 8);
    CheckWideInput(wide);
  }
  return 0;
}
