// Code-page conversion on iconv, with the Windows rules for sizes, flags and
// ill-formed input described in win32/code_pages.h.
#include <iconv.h>

#include <bit>
#include <cerrno>
#include <climits>
#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <string_view>

#include <windows.h>

namespace {

constexpr UINT kGbk = 936;

// How a code page's bytes make characters, for the lengths of bad input
// and of the default character.
enum class Form { gbk, gb18030, big5, shiftJis, korean, singleByte, utf8, utf16 };

struct Page {
  UINT number;
  const char* iconvName;
  Form form;
};

constexpr Page kPages[] = {
    {kGbk, "GBK", Form::gbk},
    {CP_UTF8, "UTF-8", Form::utf8},
    {54936, "GB18030", Form::gb18030},
    {950, "CP950", Form::big5},
    {932, "CP932", Form::shiftJis},
    {949, "CP949", Form::korean},
    {28591, "ISO-8859-1", Form::singleByte},
    {1252, "CP1252", Form::singleByte},
    {1200, "UTF-16LE", Form::utf16},
};

const Page* pageOf(UINT codePage) {
  if (codePage == CP_ACP) codePage = kGbk;
  for (const Page& page : kPages)
    if (page.number == codePage) return &page;
  return nullptr;
}

// Pages that can write every character: no default character, and the
// strictness flags of UTF-8.
bool writesEverything(Form form) { return form == Form::utf8 || form == Form::gb18030 || form == Form::utf16; }

const char* const kUtf16 = std::endian::native == std::endian::little ? "UTF-16LE" : "UTF-16BE";

int fail(DWORD error) {
  SetLastError(error);
  return 0;
}

bool isGbkLead(unsigned char byte) { return byte >= 0x81 && byte <= 0xFE; }
bool isGbkTrail(unsigned char byte) { return (byte >= 0x40 && byte <= 0x7E) || (byte >= 0x80 && byte <= 0xFE); }
bool within(unsigned char byte, unsigned char low, unsigned char high) { return byte >= low && byte <= high; }

// Whether the byte begins a character of two (or in GB18030 four) bytes.
bool isLead(Form form, unsigned char byte) {
  switch (form) {
    case Form::gbk:
    case Form::gb18030:
    case Form::big5:
    case Form::korean:
      return isGbkLead(byte);
    case Form::shiftJis:
      return within(byte, 0x81, 0x9F) || within(byte, 0xE0, 0xFC);
    default:
      return false;
  }
}

bool isTrail(Form form, unsigned char byte) {
  switch (form) {
    case Form::big5:
      return within(byte, 0x40, 0x7E) || within(byte, 0xA1, 0xFE);
    case Form::shiftJis:
      return within(byte, 0x40, 0x7E) || within(byte, 0x80, 0xFC);
    case Form::korean:
      return within(byte, 0x41, 0x5A) || within(byte, 0x61, 0x7A) || within(byte, 0x81, 0xFE);
    default:
      return isGbkTrail(byte);
  }
}

// How many bytes of double-byte input, starting at one that iconv could
// not take, make up one replaced character: a lead byte with a trail byte
// in range is an unmapped pair (in GB18030 also a four-byte form); anything
// else (a lead byte before a byte that cannot follow it or at the end of
// the input, a stray byte) stands alone.
size_t doubleByteBadLength(Form form, const unsigned char* bytes, size_t left) {
  if (left < 2 || !isLead(form, bytes[0])) return 1;
  if (form == Form::gb18030 && within(bytes[1], 0x30, 0x39))
    return left >= 4 && isGbkLead(bytes[2]) && within(bytes[3], 0x30, 0x39) ? 4 : 1;
  return isTrail(form, bytes[1]) ? 2 : 1;
}

// The length of the maximal part of UTF-8 input, starting at a byte that
// iconv could not take, that could have begun a well-formed character: each
// such part is replaced by one U+FFFD, as Unicode recommends and Windows does.
size_t utf8BadLength(const unsigned char* bytes, size_t left) {
  const unsigned char lead = bytes[0];
  size_t continuations;
  unsigned char low = 0x80;
  unsigned char high = 0xBF;
  if (lead >= 0xC2 && lead <= 0xDF) {
    continuations = 1;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    continuations = 2;
    if (lead == 0xE0) low = 0xA0;   // no over-long forms
    if (lead == 0xED) high = 0x9F;  // no surrogates
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    continuations = 3;
    if (lead == 0xF0) low = 0x90;
    if (lead == 0xF4) high = 0x8F;  // nothing past U+10FFFF
  } else {
    return 1;
  }
  size_t length = 1;
  while (length <= continuations && length < left) {
    const unsigned char next = bytes[length];
    const bool fits = length == 1 ? next >= low && next <= high : next >= 0x80 && next <= 0xBF;
    if (!fits) break;
    ++length;
  }
  return length;
}

class Converter {
 public:
  Converter(const char* to, const char* from) : descriptor_(iconv_open(to, from)) {}
  ~Converter() {
    if (valid()) iconv_close(descriptor_);
  }
  Converter(const Converter&) = delete;
  Converter& operator=(const Converter&) = delete;

  bool valid() const { return descriptor_ != reinterpret_cast<iconv_t>(-1); }
  // Back to the initial state, for the next conversion.
  void reset() {
    if (valid()) iconv(descriptor_, nullptr, nullptr, nullptr, nullptr);
  }

  // Converts `length` bytes at `input` into `output`. Where iconv cannot go
  // on, a strict conversion fails with ERROR_NO_UNICODE_TRANSLATION; else
  // `badLength(at, left)` input bytes are skipped and `replacement()` is
  // written in their place. Returns ERROR_SUCCESS or the error.
  template <typename BadLength, typename Replacement>
  DWORD run(const char* input, size_t length, bool strict, BadLength badLength, Replacement replacement,
            std::string& output) {
    char* in = const_cast<char*>(input);
    size_t inLeft = length;
    size_t used = 0;
    output.resize(2 * length + 16);
    for (;;) {
      char* out = output.data() + used;
      size_t outLeft = output.size() - used;
      const size_t result = iconv(descriptor_, &in, &inLeft, &out, &outLeft);
      const int error = errno;
      used = output.size() - outLeft;
      if (result != static_cast<size_t>(-1)) break;
      if (error == E2BIG) {
        output.resize(2 * output.size());
        continue;
      }
      if (strict || (error != EILSEQ && error != EINVAL)) return ERROR_NO_UNICODE_TRANSLATION;
      const size_t skip = badLength(reinterpret_cast<const unsigned char*>(in), inLeft);
      in += skip;
      inLeft -= skip;
      const std::string_view instead = replacement();
      if (output.size() - used < instead.size()) output.resize(2 * output.size() + instead.size());
      std::memcpy(output.data() + used, instead.data(), instead.size());
      used += instead.size();
    }
    output.resize(used);
    return ERROR_SUCCESS;
  }

 private:
  iconv_t descriptor_;
};

// iconv_open loads the character set's module and closing the last
// descriptor unloads it again, which costs far more than a conversion: the
// descriptors are kept, one set per thread, since one may not be shared.
Converter& converterFor(const char* to, const char* from) {
  thread_local std::map<std::pair<std::string, std::string>, std::unique_ptr<Converter>> converters;
  std::unique_ptr<Converter>& converter = converters[{to, from}];
  if (!converter) converter = std::make_unique<Converter>(to, from);
  converter->reset();
  return *converter;
}

// Hands the converted units to the caller: the count needed when the
// capacity is 0, else the units when they fit.
template <typename Unit>
int deliver(const std::string& converted, Unit* destination, int capacity) {
  const size_t count = converted.size() / sizeof(Unit);
  if (count > static_cast<size_t>(INT_MAX)) return fail(ERROR_INSUFFICIENT_BUFFER);
  if (capacity == 0) return static_cast<int>(count);
  if (count > static_cast<size_t>(capacity)) return fail(ERROR_INSUFFICIENT_BUFFER);
  std::memcpy(destination, converted.data(), converted.size());
  return static_cast<int>(count);
}

// The default character that WideCharToMultiByte writes into text of a
// page that lacks some characters: the first character of lpDefaultChar
// (one or two bytes), else '?'.
std::string defaultCharOf(Form form, LPCSTR given) {
  if (given == nullptr) return "?";
  const bool doubleByte = isLead(form, static_cast<unsigned char>(given[0])) && given[1] != '\0';
  return std::string(given, doubleByte ? 2 : 1);
}

// How many input bytes one replaced character stands for.
size_t badLengthOf(Form form, const unsigned char* bytes, size_t left) {
  switch (form) {
    case Form::utf8:
      return utf8BadLength(bytes, left);
    case Form::utf16:
      return left >= 2 ? 2 : 1;  // an unpaired surrogate, or an odd last byte
    case Form::singleByte:
      return 1;
    default:
      return doubleByteBadLength(form, bytes, left);
  }
}

// U+FFFD in a page that writes every character.
std::string replacementIn(Form form) {
  switch (form) {
    case Form::gb18030:
      return "\x84\x31\xA4\x37";
    case Form::utf16:
      return "\xFD\xFF";
    default:
      return "\xEF\xBF\xBD";
  }
}

}  // namespace

BOOL WINAPI IsDBCSLeadByte(BYTE TestChar) { return isGbkLead(TestChar) ? TRUE : FALSE; }

BOOL WINAPI IsDBCSLeadByteEx(UINT CodePage, BYTE TestChar) {
  const Page* page = pageOf(CodePage);
  if (page == nullptr) return fail(ERROR_INVALID_PARAMETER);
  return isLead(page->form, TestChar) ? TRUE : FALSE;
}

int WINAPI MultiByteToWideChar(UINT CodePage, DWORD dwFlags, LPCSTR lpMultiByteStr, int cbMultiByte,
                               LPWSTR lpWideCharStr, int cchWideChar) {
  const Page* page = pageOf(CodePage);
  if (page == nullptr || lpMultiByteStr == nullptr || cbMultiByte == 0 || cbMultiByte < -1 || cchWideChar < 0 ||
      (cchWideChar > 0 && lpWideCharStr == nullptr))
    return fail(ERROR_INVALID_PARAMETER);
  const DWORD allowed =
      writesEverything(page->form) ? MB_ERR_INVALID_CHARS : MB_PRECOMPOSED | MB_USEGLYPHCHARS | MB_ERR_INVALID_CHARS;
  if ((dwFlags & ~allowed) != 0) return fail(ERROR_INVALID_FLAGS);

  Converter& converter = converterFor(kUtf16, page->iconvName);
  if (!converter.valid()) return fail(ERROR_NOT_SUPPORTED);
  const size_t length = cbMultiByte == -1 ? std::strlen(lpMultiByteStr) + 1 : static_cast<size_t>(cbMultiByte);
  static constexpr WCHAR kReplacement = 0xFFFD;
  const auto replacement = [] {
    return std::string_view(reinterpret_cast<const char*>(&kReplacement), sizeof kReplacement);
  };
  const Form form = page->form;
  const auto badLength = [form](const unsigned char* bytes, size_t left) { return badLengthOf(form, bytes, left); };
  const bool strict = (dwFlags & MB_ERR_INVALID_CHARS) != 0;
  std::string converted;
  const DWORD error = converter.run(lpMultiByteStr, length, strict, badLength, replacement, converted);
  if (error != ERROR_SUCCESS) return fail(error);
  return deliver(converted, lpWideCharStr, cchWideChar);
}

int WINAPI WideCharToMultiByte(UINT CodePage, DWORD dwFlags, LPCWSTR lpWideCharStr, int cchWideChar,
                               LPSTR lpMultiByteStr, int cbMultiByte, LPCSTR lpDefaultChar, LPBOOL lpUsedDefaultChar) {
  const Page* page = pageOf(CodePage);
  if (page == nullptr || lpWideCharStr == nullptr || cchWideChar == 0 || cchWideChar < -1 || cbMultiByte < 0 ||
      (cbMultiByte > 0 && lpMultiByteStr == nullptr))
    return fail(ERROR_INVALID_PARAMETER);
  const bool everything = writesEverything(page->form);
  if (everything) {
    if ((dwFlags & ~static_cast<DWORD>(WC_ERR_INVALID_CHARS)) != 0) return fail(ERROR_INVALID_FLAGS);
    // These pages can write every character: there is no default character.
    if (lpDefaultChar != nullptr || lpUsedDefaultChar != nullptr) return fail(ERROR_INVALID_PARAMETER);
  } else if ((dwFlags & ~static_cast<DWORD>(WC_NO_BEST_FIT_CHARS)) != 0) {
    return fail(ERROR_INVALID_FLAGS);
  }

  Converter& converter = converterFor(page->iconvName, kUtf16);
  if (!converter.valid()) return fail(ERROR_NOT_SUPPORTED);
  const size_t length =
      cchWideChar == -1 ? std::char_traits<WCHAR>::length(lpWideCharStr) + 1 : static_cast<size_t>(cchWideChar);
  // An unpaired surrogate becomes U+FFFD in the pages that write everything.
  // An unpaired surrogate becomes U+FFFD in the pages that write everything.
  const std::string instead = everything ? replacementIn(page->form) : defaultCharOf(page->form, lpDefaultChar);
  bool usedDefault = false;
  const auto replacement = [&] {
    usedDefault = true;
    return std::string_view(instead);
  };
  const auto oneUnit = [](const unsigned char*, size_t) { return sizeof(WCHAR); };
  std::string converted;
  const bool strict = everything && (dwFlags & WC_ERR_INVALID_CHARS) != 0;
  const DWORD error = converter.run(reinterpret_cast<const char*>(lpWideCharStr), length * sizeof(WCHAR), strict,
                                    oneUnit, replacement, converted);
  if (error != ERROR_SUCCESS) return fail(error);
  if (lpUsedDefaultChar != nullptr) *lpUsedDefaultChar = usedDefault ? TRUE : FALSE;
  return deliver(converted, lpMultiByteStr, cbMultiByte);
}
