// Toolkit text. String holds UTF-8 and counts characters; AnsiString holds
// the bytes of the system's ANSI code page (GBK) and counts bytes. The two
// convert into each other; use AnsiString where bytes meet text (what is
// sent, byte limits, lengths in bytes).
#pragma once

#include <compare>
#include <concepts>
#include <string>

class AnsiString;

class String {
 public:
  String() = default;
  String(const char* utf8);  // null gives the empty string
  String(const char* utf8, int byteCount);
  String(const std::string& utf8);
  String(std::string&& utf8);
  String(const AnsiString& ansi);  // converted from the ANSI code page

  // Length in characters (Unicode code points).
  int Length() const;
  bool IsEmpty() const { return text_.empty(); }
  const char* c_str() const { return text_.c_str(); }
  const std::string& Utf8() const { return text_; }

  // Count characters starting at the 1-based character StartIndex, cut at
  // the end of the text; empty when StartIndex lies past the end or Count
  // is not positive.
  String SubString(int StartIndex, int Count) const;
  // Without leading and trailing characters at or below the blank
  // (blanks and control characters).
  String Trim() const;

  // Decimal text, optionally signed, leading blanks allowed, within the
  // signed 32-bit range; anything else raises EConvertError.
  int ToInt() const;
  int ToIntDef(int Default) const;

  // Replaces the text with printf-style formatted text; returns *this.
  String& sprintf(const char* format, ...);

  String& operator+=(const String& other);
  friend String operator+(const String& a, const String& b);
  friend bool operator==(const String& a, const String& b) { return a.text_ == b.text_; }
  friend std::strong_ordering operator<=>(const String& a, const String& b) { return a.text_ <=> b.text_; }

 private:
  std::string text_;
};

class AnsiString {
 public:
  AnsiString() = default;
  // The bytes as they stand: they must already be in the ANSI code page.
  AnsiString(const char* ansiBytes);  // up to the first zero byte; null gives empty
  AnsiString(const char* ansiBytes, int byteCount);
  // Converted into the ANSI code page; characters it lacks become '?'.
  AnsiString(const String& text);
  // From a String-valued property, so that `AnsiString a = Edit1->Text;`
  // reads as with a String.
  template <typename P>
  requires requires(const P& p) {
    { p.Get() } -> std::same_as<String>;
  }
  AnsiString(const P& property) : AnsiString(property.Get()) {}

  // Length in bytes.
  int Length() const { return static_cast<int>(bytes_.size()); }
  bool IsEmpty() const { return bytes_.empty(); }
  const char* c_str() const { return bytes_.c_str(); }
  const std::string& Bytes() const { return bytes_; }

  AnsiString& operator+=(const AnsiString& other);
  friend AnsiString operator+(const AnsiString& a, const AnsiString& b);
  friend bool operator==(const AnsiString& a, const AnsiString& b) { return a.bytes_ == b.bytes_; }
  friend std::strong_ordering operator<=>(const AnsiString& a, const AnsiString& b) { return a.bytes_ <=> b.bytes_; }

 private:
  std::string bytes_;
};

// As String::ToInt: raises EConvertError for text that is not a decimal
// 32-bit number.
int StrToInt(const String& S);
int StrToIntDef(const String& S, int Default);
String IntToStr(int Value);
String Trim(const String& S);
