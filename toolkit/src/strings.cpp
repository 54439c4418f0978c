// String and AnsiString.
#include "toolkit/strings.h"

#include <cerrno>
#include <climits>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "toolkit/exceptions.h"
#include "utf8_ansi_conversion.h"

namespace {

// Byte length of the UTF-8 character starting at text[pos]. A byte that does
// not start a well-formed sequence counts as a character of its own, so that
// any byte string has a defined length.
size_t CharacterSize(const std::string& text, size_t pos) {
  auto byte = static_cast<unsigned char>(text[pos]);
  size_t size = byte < 0x80 ? 1 : (byte >> 5) == 0x6 ? 2 : (byte >> 4) == 0xE ? 3 : (byte >> 3) == 0x1E ? 4 : 1;
  if (pos + size > text.size()) return 1;
  for (size_t i = 1; i < size; ++i)
    if ((static_cast<unsigned char>(text[pos + i]) & 0xC0) != 0x80) return 1;
  return size;
}

// Byte offset of the character with the 0-based index, or the text's size.
size_t ByteOffsetOfCharacter(const std::string& text, int index) {
  size_t pos = 0;
  for (int i = 0; i < index && pos < text.size(); ++i) pos += CharacterSize(text, pos);
  return pos;
}

bool IsBlankOrControl(char c) { return static_cast<unsigned char>(c) <= ' '; }

bool ParseInt(const std::string& text, int& value) {
  size_t pos = 0;
  while (pos < text.size() && (text[pos] == ' ' || text[pos] == '\t')) ++pos;
  size_t digitsFrom = pos;
  if (digitsFrom < text.size() && (text[digitsFrom] == '+' || text[digitsFrom] == '-')) ++digitsFrom;
  if (digitsFrom == text.size()) return false;
  for (size_t i = digitsFrom; i < text.size(); ++i)
    if (text[i] < '0' || text[i] > '9') return false;
  errno = 0;
  long long parsed = std::strtoll(text.c_str() + pos, nullptr, 10);
  if (errno == ERANGE || parsed < INT_MIN || parsed > INT_MAX) return false;
  value = static_cast<int>(parsed);
  return true;
}

}  // namespace

String::String(const char* utf8) : text_(utf8 ? utf8 : "") {}
String::String(const char* utf8, int byteCount) : text_(utf8 && byteCount > 0 ? std::string(utf8, byteCount) : "") {}
String::String(const std::string& utf8) : text_(utf8) {}
String::String(std::string&& utf8) : text_(std::move(utf8)) {}
String::String(const AnsiString& ansi) : text_(AnsiToUtf8(ansi.Bytes())) {}

int String::Length() const {
  int count = 0;
  for (size_t pos = 0; pos < text_.size(); pos += CharacterSize(text_, pos)) ++count;
  return count;
}

String String::SubString(int StartIndex, int Count) const {
  if (Count <= 0) return String();
  if (StartIndex < 1) {
    Count += StartIndex - 1;
    StartIndex = 1;
    if (Count <= 0) return String();
  }
  size_t from = ByteOffsetOfCharacter(text_, StartIndex - 1);
  size_t to = from;
  for (int i = 0; i < Count && to < text_.size(); ++i) to += CharacterSize(text_, to);
  return String(text_.substr(from, to - from));
}

String String::Trim() const {
  size_t from = 0;
  size_t to = text_.size();
  while (from < to && IsBlankOrControl(text_[from])) ++from;
  while (to > from && IsBlankOrControl(text_[to - 1])) --to;
  return String(text_.substr(from, to - from));
}

int String::ToInt() const {
  int value = 0;
  if (!ParseInt(text_, value)) throw EConvertError("'" + *this + "' is not a valid integer value");
  return value;
}

int String::ToIntDef(int Default) const {
  int value = 0;
  return ParseInt(text_, value) ? value : Default;
}

String& String::sprintf(const char* format, ...) {
  va_list args;
  va_start(args, format);
  va_list again;
  va_copy(again, args);
  int size = std::vsnprintf(nullptr, 0, format, args);
  va_end(args);
  if (size < 0) {
    text_.clear();
  } else {
    std::vector<char> buffer(static_cast<size_t>(size) + 1);
    std::vsnprintf(buffer.data(), buffer.size(), format, again);
    text_.assign(buffer.data(), static_cast<size_t>(size));
  }
  va_end(again);
  return *this;
}

String& String::operator+=(const String& other) {
  text_ += other.text_;
  return *this;
}

String operator+(const String& a, const String& b) { return String(a.text_ + b.text_); }

AnsiString::AnsiString(const char* ansiBytes) : bytes_(ansiBytes ? ansiBytes : "") {}
AnsiString::AnsiString(const char* ansiBytes, int byteCount)
    : bytes_(ansiBytes && byteCount > 0 ? std::string(ansiBytes, byteCount) : "") {}
AnsiString::AnsiString(const String& text) : bytes_(Utf8ToAnsi(text.Utf8())) {}

AnsiString& AnsiString::operator+=(const AnsiString& other) {
  bytes_ += other.bytes_;
  return *this;
}

AnsiString operator+(const AnsiString& a, const AnsiString& b) {
  AnsiString result = a;
  result += b;
  return result;
}

int StrToInt(const String& S) { return S.ToInt(); }
int StrToIntDef(const String& S, int Default) { return S.ToIntDef(Default); }
String IntToStr(int Value) { return String(std::to_string(Value)); }
String Trim(const String& S) { return S.Trim(); }
