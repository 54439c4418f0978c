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

enum class Page { gbk, utf8 };

bool pageOf(UINT codePage, Page* page) {
  if (codePage == CP_ACP || codePage == kGbk) {
    *page = Page::gbk;
    return true;
  }
  if (codePage == CP_UTF8) {
    *page = Page::utf8;
    return true;
  }
  return false;
}

const char* iconvName(Page page) { return page == Page::gbk ? "GBK" : "UTF-8"; }
const char* const kUtf16 = std::endian::native == std::endian::little ? "UTF-16LE" : "UTF-16BE";

int fail(DWORD error) {
  SetLastError(error);
  return 0;
}

bool isGbkLead(unsigned char byte) { return byte >= 0x81 && byte <= 0xFE; }
bool isGbkTrail(unsigned char byte) { return (byte >= 0x40 && byte <= 0x7E) || (byte >= 0x80 && byte <= 0xFE); }

// How many bytes of GBK input, starting at one that iconv could not take,
// make up one replaced character: a lead byte with a trail byte in range is
// an unmapped pair; anything else (a lead byte before a byte that cannot
// follow it or at the end of the input, a stray byte) stands alone.
size_t gbkBadLength(const unsigned char* bytes, size_t left) {
  return left >= 2 && isGbkLead(bytes[0]) && isGbkTrail(bytes[1]) ? 2 : 1;
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

// The default character that WideCharToMultiByte writes into GBK text: the
// first character of lpDefaultChar (one or two bytes), else '?'.
std::string defaultCharOf(LPCSTR given) {
  if (given == nullptr) return "?";
  const bool doubleByte = isGbkLead(static_cast<unsigned char>(given[0])) && given[1] != '\0';
  return std::string(given, doubleByte ? 2 : 1);
}

}  // namespace

UINT WINAPI GetACP() { return kGbk; }

BOOL WINAPI IsDBCSLeadByte(BYTE TestChar) { return isGbkLead(TestChar) ? TRUE : FALSE; }

int WINAPI MultiByteToWideChar(UINT CodePage, DWORD dwFlags, LPCSTR lpMultiByteStr, int cbMultiByte,
                               LPWSTR lpWideCharStr, int cchWideChar) {
  Page page;
  if (!pageOf(CodePage, &page) || lpMultiByteStr == nullptr || cbMultiByte == 0 || cbMultiByte < -1 ||
      cchWideChar < 0 || (cchWideChar > 0 && lpWideCharStr == nullptr))
    return fail(ERROR_INVALID_PARAMETER);
  const DWORD allowed =
      page == Page::utf8 ? MB_ERR_INVALID_CHARS : MB_PRECOMPOSED | MB_USEGLYPHCHARS | MB_ERR_INVALID_CHARS;
  if ((dwFlags & ~allowed) != 0) return fail(ERROR_INVALID_FLAGS);

  Converter& converter = converterFor(kUtf16, iconvName(page));
  if (!converter.valid()) return fail(ERROR_NOT_SUPPORTED);
  const size_t length = cbMultiByte == -1 ? std::strlen(lpMultiByteStr) + 1 : static_cast<size_t>(cbMultiByte);
  static constexpr WCHAR kReplacement = 0xFFFD;
  const auto replacement = [] {
    return std::string_view(reinterpret_cast<const char*>(&kReplacement), sizeof kReplacement);
  };
  const bool strict = (dwFlags & MB_ERR_INVALID_CHARS) != 0;
  std::string converted;
  const DWORD error = page == Page::gbk
                          ? converter.run(lpMultiByteStr, length, strict, gbkBadLength, replacement, converted)
                          : converter.run(lpMultiByteStr, length, strict, utf8BadLength, replacement, converted);
  if (error != ERROR_SUCCESS) return fail(error);
  return deliver(converted, lpWideCharStr, cchWideChar);
}

int WINAPI WideCharToMultiByte(UINT CodePage, DWORD dwFlags, LPCWSTR lpWideCharStr, int cchWideChar,
                               LPSTR lpMultiByteStr, int cbMultiByte, LPCSTR lpDefaultChar, LPBOOL lpUsedDefaultChar) {
  Page page;
  if (!pageOf(CodePage, &page) || lpWideCharStr == nullptr || cchWideChar == 0 || cchWideChar < -1 || cbMultiByte < 0 ||
      (cbMultiByte > 0 && lpMultiByteStr == nullptr))
    return fail(ERROR_INVALID_PARAMETER);
  if (page == Page::utf8) {
    if ((dwFlags & ~static_cast<DWORD>(WC_ERR_INVALID_CHARS)) != 0) return fail(ERROR_INVALID_FLAGS);
    // UTF-8 can write every character: there is no default character.
    if (lpDefaultChar != nullptr || lpUsedDefaultChar != nullptr) return fail(ERROR_INVALID_PARAMETER);
  } else if ((dwFlags & ~static_cast<DWORD>(WC_NO_BEST_FIT_CHARS)) != 0) {
    return fail(ERROR_INVALID_FLAGS);
  }

  Converter& converter = converterFor(iconvName(page), kUtf16);
  if (!converter.valid()) return fail(ERROR_NOT_SUPPORTED);
  const size_t length =
      cchWideChar == -1 ? std::char_traits<WCHAR>::length(lpWideCharStr) + 1 : static_cast<size_t>(cchWideChar);
  const std::string instead = page == Page::utf8 ? std::string("\xEF\xBF\xBD") : defaultCharOf(lpDefaultChar);
  bool usedDefault = false;
  const auto replacement = [&] {
    usedDefault = true;
    return std::string_view(instead);
  };
  const auto oneUnit = [](const unsigned char*, size_t) { return sizeof(WCHAR); };
  std::string converted;
  const bool strict = page == Page::utf8 && (dwFlags & WC_ERR_INVALID_CHARS) != 0;
  const DWORD error = converter.run(reinterpret_cast<const char*>(lpWideCharStr), length * sizeof(WCHAR), strict,
                                    oneUnit, replacement, converted);
  if (error != ERROR_SUCCESS) return fail(error);
  if (lpUsedDefaultChar != nullptr) *lpUsedDefaultChar = usedDefault ? TRUE : FALSE;
  return deliver(converted, lpMultiByteStr, cbMultiByte);
}
