// Conversion between GBK (the ANSI code page), UTF-8 and UTF-16.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

namespace {

const std::string kChineseGbk = "\xD6\xD0\xCE\xC4";           // 中文
const std::string kChineseUtf8 = "\xE4\xB8\xAD\xE6\x96\x87";  // 中文
const std::u16string kChinese = u"中文";

// Whole-string conversions through the Win32 calls: the size query, then
// the conversion into exactly that much room. An empty result with the
// error left in GetLastError() stands for failure.
std::u16string toWide(UINT codePage, const std::string& bytes, DWORD flags = 0) {
  const int size = static_cast<int>(bytes.size());
  const int needed = MultiByteToWideChar(codePage, flags, bytes.data(), size, nullptr, 0);
  if (needed == 0) return {};
  std::u16string wide(static_cast<size_t>(needed), u'\0');
  const int written = MultiByteToWideChar(codePage, flags, bytes.data(), size, wide.data(), needed);
  EXPECT_EQ(written, needed);
  return wide;
}

std::string toBytes(UINT codePage, const std::u16string& wide, DWORD flags = 0, LPCSTR defaultChar = nullptr,
                    BOOL* usedDefault = nullptr) {
  const int size = static_cast<int>(wide.size());
  const int needed = WideCharToMultiByte(codePage, flags, wide.data(), size, nullptr, 0, defaultChar, usedDefault);
  if (needed == 0) return {};
  std::string bytes(static_cast<size_t>(needed), '\0');
  const int written =
      WideCharToMultiByte(codePage, flags, wide.data(), size, bytes.data(), needed, defaultChar, usedDefault);
  EXPECT_EQ(written, needed);
  return bytes;
}

// GBK text through UTF-16 to UTF-8, the way the toolkit shows received text.
std::string gbkToUtf8(const std::string& gbk) { return toBytes(CP_UTF8, toWide(936, gbk)); }

TEST(CodePage, AnsiCodePageIsGbk) {
  EXPECT_TRUE(IsDBCSLeadByte(0xD6));
  EXPECT_TRUE(IsDBCSLeadByte(0x81));
  EXPECT_TRUE(IsDBCSLeadByte(0xFE));
  EXPECT_FALSE(IsDBCSLeadByte('A'));
  EXPECT_FALSE(IsDBCSLeadByte(0x80));
  EXPECT_FALSE(IsDBCSLeadByte(0xFF));
}

// --- Well-formed text, both ways.

TEST(GbkConversion, ChineseRoundTrips) {
  EXPECT_EQ(toWide(936, kChineseGbk), kChinese);
  EXPECT_EQ(toWide(CP_ACP, kChineseGbk), kChinese);
  EXPECT_EQ(toBytes(936, kChinese), kChineseGbk);
  EXPECT_EQ(toBytes(CP_ACP, kChinese), kChineseGbk);
  EXPECT_EQ(gbkToUtf8(kChineseGbk), kChineseUtf8);
  EXPECT_EQ(toBytes(CP_ACP, toWide(CP_UTF8, kChineseUtf8)), kChineseGbk);
}

TEST(GbkConversion, WindowTextsRoundTrip) {
  const std::u16string question = u"确定要退出吗？";
  const std::string gbk = toBytes(CP_ACP, question);
  EXPECT_EQ(gbk.size(), 2 * question.size());
  EXPECT_EQ(toWide(CP_ACP, gbk), question);
  BOOL usedDefault = TRUE;
  toBytes(CP_ACP, u"退出程序", 0, nullptr, &usedDefault);
  EXPECT_FALSE(usedDefault);
}

TEST(GbkConversion, AsciiIsUnchanged) {
  std::string ascii;
  for (int c = 1; c < 0x80; ++c) ascii += static_cast<char>(c);
  const std::u16string wide = toWide(CP_ACP, ascii);
  ASSERT_EQ(wide.size(), ascii.size());
  for (size_t i = 0; i < ascii.size(); ++i) EXPECT_EQ(wide[i], static_cast<char16_t>(ascii[i]));
  EXPECT_EQ(toBytes(CP_ACP, wide), ascii);
  EXPECT_EQ(toBytes(CP_UTF8, wide), ascii);
}

TEST(GbkConversion, MixedTextKeepsItsOrder) {
  const std::string gbk = "COM1:" + kChineseGbk + " ok";
  EXPECT_EQ(toWide(CP_ACP, gbk), u"COM1:中文 ok");
  EXPECT_EQ(gbkToUtf8(gbk), "COM1:" + kChineseUtf8 + " ok");
}

TEST(Utf8Conversion, AllPlanesRoundTrip) {
  const std::string utf8 = "a\xC3\xA9\xE4\xB8\xAD\xF0\x9F\x98\x80";  // a é 中 😀
  const std::u16string wide = toWide(CP_UTF8, utf8);
  EXPECT_EQ(wide, u"a\u00E9\u4E2D\U0001F600");
  EXPECT_EQ(wide.size(), 5u);  // the emoji takes a surrogate pair
  EXPECT_EQ(toBytes(CP_UTF8, wide), utf8);
}

TEST(Utf8Conversion, ByteOrderMarkAndZerosAreKept) {
  const std::string utf8(
      "\xEF\xBB\xBF"
      "a\0b",
      6);
  EXPECT_EQ(toWide(CP_UTF8, utf8), std::u16string(u"\uFEFFa\0b", 4));
  EXPECT_EQ(toBytes(CP_UTF8, std::u16string(u"\uFEFFa\0b", 4)), utf8);
}

// --- Sizes: the ending zero, size queries, buffers too small.

TEST(ConversionSize, MinusOneIncludesTheEndingZero) {
  EXPECT_EQ(MultiByteToWideChar(CP_ACP, 0, kChineseGbk.c_str(), -1, nullptr, 0), 3);
  WCHAR wide[3] = {u'x', u'x', u'x'};
  EXPECT_EQ(MultiByteToWideChar(CP_ACP, 0, kChineseGbk.c_str(), -1, wide, 3), 3);
  EXPECT_EQ(std::u16string(wide, 3), std::u16string(u"中文\0", 3));

  EXPECT_EQ(WideCharToMultiByte(CP_ACP, 0, u"中文", -1, nullptr, 0, nullptr, nullptr), 5);
  char bytes[5] = {'x', 'x', 'x', 'x', 'x'};
  EXPECT_EQ(WideCharToMultiByte(CP_ACP, 0, u"中文", -1, bytes, 5, nullptr, nullptr), 5);
  EXPECT_EQ(std::string(bytes, 5), kChineseGbk + '\0');

  EXPECT_EQ(WideCharToMultiByte(CP_UTF8, 0, u"中文", -1, nullptr, 0, nullptr, nullptr), 7);
  EXPECT_EQ(MultiByteToWideChar(CP_UTF8, 0, "", -1, nullptr, 0), 1);
}

TEST(ConversionSize, ExplicitLengthsConvertNoMoreAndAddNoZero) {
  EXPECT_EQ(MultiByteToWideChar(CP_ACP, 0, kChineseGbk.c_str(), 2, nullptr, 0), 1);
  WCHAR wide[4] = {u'x', u'x', u'x', u'x'};
  EXPECT_EQ(MultiByteToWideChar(CP_ACP, 0, kChineseGbk.c_str(), 2, wide, 4), 1);
  EXPECT_EQ(wide[0], u'中');
  EXPECT_EQ(wide[1], u'x');
  EXPECT_EQ(WideCharToMultiByte(CP_UTF8, 0, u"中文", 1, nullptr, 0, nullptr, nullptr), 3);
}

TEST(ConversionSize, TooSmallABufferFailsAndLeavesItAlone) {
  WCHAR wide[2] = {u'x', u'x'};
  SetLastError(0);
  EXPECT_EQ(MultiByteToWideChar(CP_ACP, 0, kChineseGbk.c_str(), -1, wide, 2), 0);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
  EXPECT_EQ(wide[0], u'x');

  char bytes[4] = {'x', 'x', 'x', 'x'};
  SetLastError(0);
  EXPECT_EQ(WideCharToMultiByte(CP_ACP, 0, u"中文", -1, bytes, 4, nullptr, nullptr), 0);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
  EXPECT_EQ(bytes[0], 'x');
  SetLastError(0);
  EXPECT_EQ(WideCharToMultiByte(CP_UTF8, 0, u"中", 1, bytes, 2, nullptr, nullptr), 0);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
}

TEST(ConversionSize, LongTextConvertsWhole) {
  std::u16string wide;
  for (int i = 0; i < 5000; ++i) wide += (i % 3 == 0) ? u"中" : u"a";
  const std::string gbk = toBytes(CP_ACP, wide);
  EXPECT_EQ(gbk.size(), 5000u + 1667u);
  EXPECT_EQ(toWide(CP_ACP, gbk), wide);
  EXPECT_EQ(toWide(CP_UTF8, toBytes(CP_UTF8, wide)), wide);
}

// --- Bad arguments.

TEST(ConversionArguments, BadSizesPointersAndCodePagesAreInvalidParameters) {
  WCHAR wide[4];
  char bytes[4];
  auto expectInvalid = [](int result) {
    EXPECT_EQ(result, 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    SetLastError(0);
  };
  SetLastError(0);
  expectInvalid(MultiByteToWideChar(CP_ACP, 0, "a", 0, wide, 4));
  expectInvalid(MultiByteToWideChar(CP_ACP, 0, "a", -2, wide, 4));
  expectInvalid(MultiByteToWideChar(CP_ACP, 0, nullptr, 1, wide, 4));
  expectInvalid(MultiByteToWideChar(CP_ACP, 0, "a", 1, nullptr, 4));
  expectInvalid(MultiByteToWideChar(CP_ACP, 0, "a", 1, wide, -1));
  expectInvalid(MultiByteToWideChar(437, 0, "a", 1, wide, 4));
  expectInvalid(WideCharToMultiByte(CP_ACP, 0, u"a", 0, bytes, 4, nullptr, nullptr));
  expectInvalid(WideCharToMultiByte(CP_ACP, 0, nullptr, 1, bytes, 4, nullptr, nullptr));
  expectInvalid(WideCharToMultiByte(CP_ACP, 0, u"a", 1, nullptr, 4, nullptr, nullptr));
  expectInvalid(WideCharToMultiByte(CP_ACP, 0, u"a", 1, bytes, -1, nullptr, nullptr));
  expectInvalid(WideCharToMultiByte(1201, 0, u"a", 1, bytes, 4, nullptr, nullptr));
  expectInvalid(WideCharToMultiByte(54936, 0, u"a", 1, bytes, 4, "?", nullptr));
  BOOL used = FALSE;
  expectInvalid(WideCharToMultiByte(CP_UTF8, 0, u"a", 1, bytes, 4, "?", nullptr));
  expectInvalid(WideCharToMultiByte(CP_UTF8, 0, u"a", 1, bytes, 4, nullptr, &used));
}

TEST(ConversionArguments, FlagsACodePageDoesNotTakeAreInvalidFlags) {
  WCHAR wide[4];
  char bytes[4];
  SetLastError(0);
  EXPECT_EQ(MultiByteToWideChar(CP_UTF8, MB_PRECOMPOSED, "a", 1, wide, 4), 0);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_FLAGS));
  SetLastError(0);
  EXPECT_EQ(WideCharToMultiByte(CP_ACP, WC_ERR_INVALID_CHARS, u"a", 1, bytes, 4, nullptr, nullptr), 0);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_FLAGS));
  EXPECT_EQ(MultiByteToWideChar(CP_ACP, MB_PRECOMPOSED, "a", 1, wide, 4), 1);
  EXPECT_EQ(WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, u"a", 1, bytes, 4, nullptr, nullptr), 1);
}

// --- Ill-formed GBK.

TEST(InvalidGbk, IncompleteTrailingLeadByteBecomesOneReplacement) {
  // The edit's byte limit or a read can cut a character in two.
  const std::string cut = kChineseGbk + "\xD6";
  EXPECT_EQ(toWide(CP_ACP, cut), u"中文\uFFFD");
  EXPECT_EQ(MultiByteToWideChar(CP_ACP, 0, "\xD6", 1, nullptr, 0), 1);
  // Also when the ending zero follows it.
  EXPECT_EQ(MultiByteToWideChar(CP_ACP, 0, "a\xD6", -1, nullptr, 0), 3);
  WCHAR wide[3];
  EXPECT_EQ(MultiByteToWideChar(CP_ACP, 0, "a\xD6", -1, wide, 3), 3);
  EXPECT_EQ(std::u16string(wide, 3), std::u16string(u"a\uFFFD\0", 3));
}

TEST(InvalidGbk, IncompleteTrailingLeadByteFailsWhenAskedTo) {
  WCHAR wide[4];
  SetLastError(0);
  EXPECT_EQ(MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, "\xD6\xD0\xCE", 3, wide, 4), 0);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NO_UNICODE_TRANSLATION));
  SetLastError(0);
  EXPECT_EQ(MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, "\xD6\xD0\xCE", 3, nullptr, 0), 0);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NO_UNICODE_TRANSLATION));
}

TEST(InvalidGbk, LeadByteBeforeAByteThatCannotFollowIsReplacedAlone) {
  // Trail bytes are 0x40 to 0xFE (but 0x7F); the byte after it is read again
  // on its own.
  EXPECT_EQ(toWide(CP_ACP,
                   "\xD6"
                   "0" +
                       kChineseGbk),
            u"\uFFFD0中文");
  EXPECT_EQ(toWide(CP_ACP, "\xD6\x7F"), u"\uFFFD\x7F");
  EXPECT_EQ(toWide(CP_ACP,
                   "\xD6"
                   "A"),
            u"\u8AE5");  // 'A' can follow a lead byte
  EXPECT_EQ(toWide(CP_ACP, std::string("\xD6\x00", 2)), std::u16string(u"\uFFFD\0", 2));
}

TEST(InvalidGbk, UnmappedPairAndStrayByteAreReplaced) {
  // 0xAA 0xA1 lies in a range with no characters; 0xFF begins nothing.
  EXPECT_EQ(toWide(CP_ACP, "x\xAA\xA1y"), u"x\uFFFDy");
  EXPECT_EQ(toWide(CP_ACP, "x\xFFy"), u"x\uFFFDy");
  SetLastError(0);
  EXPECT_EQ(toWide(CP_ACP, "x\xFFy", MB_ERR_INVALID_CHARS), u"");
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NO_UNICODE_TRANSLATION));
}

TEST(InvalidGbk, TextWithoutAGbkCharacterGetsTheDefaultCharacter) {
  BOOL usedDefault = FALSE;
  EXPECT_EQ(toBytes(CP_ACP, u"a\u00E4b", 0, nullptr, &usedDefault), "a?b");  // ä: none in GBK
  EXPECT_TRUE(usedDefault);
  EXPECT_EQ(toBytes(CP_ACP, u"\U0001F600", 0, nullptr, &usedDefault), "??");  // one per unit
  EXPECT_TRUE(usedDefault);
  EXPECT_EQ(toBytes(CP_ACP, u"\u00E4", 0, "*", &usedDefault), "*");
  EXPECT_EQ(toBytes(CP_ACP, u"\u00E4", 0, "\xA1\xF9", &usedDefault), "\xA1\xF9");  // a double-byte default
  EXPECT_EQ(toBytes(CP_ACP, u"ok", 0, nullptr, &usedDefault), "ok");
  EXPECT_FALSE(usedDefault);
}

TEST(InvalidGbk, UnpairedSurrogateGetsTheDefaultCharacter) {
  const std::u16string lone{u'a', static_cast<char16_t>(0xD800), u'b', static_cast<char16_t>(0xDC00)};
  BOOL usedDefault = FALSE;
  EXPECT_EQ(toBytes(CP_ACP, lone, 0, nullptr, &usedDefault), "a?b?");
  EXPECT_TRUE(usedDefault);
}

// --- Ill-formed UTF-8 and UTF-16.

TEST(InvalidUtf8, EachMaximalBadPartBecomesOneReplacement) {
  EXPECT_EQ(toWide(CP_UTF8, "a\xE4\xB8"), u"a\uFFFD");  // cut at the end
  EXPECT_EQ(toWide(CP_UTF8,
                   "\xE4\xB8"
                   "b"),
            u"\uFFFDb");                                                        // cut before a new character
  EXPECT_EQ(toWide(CP_UTF8, "\xC0\x80"), u"\uFFFD\uFFFD");                      // over-long: no lead at all
  EXPECT_EQ(toWide(CP_UTF8, "\xED\xA0\x80"), u"\uFFFD\uFFFD\uFFFD");            // an encoded surrogate
  EXPECT_EQ(toWide(CP_UTF8, "\xF4\x90\x80\x80"), u"\uFFFD\uFFFD\uFFFD\uFFFD");  // past U+10FFFF
  EXPECT_EQ(toWide(CP_UTF8, "\x80z"), u"\uFFFDz");                              // stray continuation
  EXPECT_EQ(toWide(CP_UTF8,
                   "\xF0\x9F\x98"
                   "\xE4\xB8\xAD"),
            u"\uFFFD中");
  EXPECT_EQ(toWide(CP_UTF8, "\xFF"), u"\uFFFD");
}

TEST(InvalidUtf8, FailsWhenAskedTo) {
  SetLastError(0);
  EXPECT_EQ(MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, "a\xE4\xB8", 3, nullptr, 0), 0);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NO_UNICODE_TRANSLATION));
  EXPECT_EQ(MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, kChineseUtf8.c_str(), -1, nullptr, 0), 3);
}

TEST(InvalidUtf16, UnpairedSurrogateBecomesTheReplacementCharacter) {
  const std::u16string lone{u'a', static_cast<char16_t>(0xDC00), static_cast<char16_t>(0xD800)};
  EXPECT_EQ(toBytes(CP_UTF8, lone), "a\xEF\xBF\xBD\xEF\xBF\xBD");
  SetLastError(0);
  EXPECT_EQ(toBytes(CP_UTF8, lone, WC_ERR_INVALID_CHARS), "");
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NO_UNICODE_TRANSLATION));
}

}  // namespace

// --- The other code pages serial devices write.

TEST(OtherCodePages, EachPageRoundTripsItsOwnText) {
  struct Sample {
    UINT codePage;
    std::string bytes;
    std::u16string text;
  };
  const Sample samples[] = {
      {54936, "\xD6\xD0\x81\x30\x81\x30", u"中\u0080"},  // a four-byte form
      {54936, "\x95\x32\x82\x36", u"\U00020000"},        // beyond the first plane
      {950, "\xA4\xA4\xA4\xE5", u"中文"},
      {932, "\x82\xA0\xB1", u"あｱ"},
      {949, "\xB0\xA1\x81\x41", u"가\uAC02"},
      {28591, "\xE9\xFF", u"éÿ"},
      {1252, "\x80\xE9", u"€é"},
      {1200, std::string("A\0\x2D\x4E\x3D\xD8\x00\xDE", 8), u"A中\U0001F600"},
  };
  for (const Sample& sample : samples) {
    SCOPED_TRACE(sample.codePage);
    EXPECT_EQ(toWide(sample.codePage, sample.bytes, MB_ERR_INVALID_CHARS), sample.text);
    EXPECT_EQ(toBytes(sample.codePage, sample.text), sample.bytes);
  }
}

TEST(OtherCodePages, LeadBytesAreThoseOfEachPage) {
  EXPECT_TRUE(IsDBCSLeadByteEx(950, 0xA4));
  EXPECT_TRUE(IsDBCSLeadByteEx(54936, 0x81));
  EXPECT_TRUE(IsDBCSLeadByteEx(932, 0x82));
  EXPECT_FALSE(IsDBCSLeadByteEx(932, 0xB1));  // a half-width katakana
  EXPECT_FALSE(IsDBCSLeadByteEx(CP_UTF8, 0xE4));
  EXPECT_FALSE(IsDBCSLeadByteEx(1252, 0x81));
  EXPECT_FALSE(IsDBCSLeadByteEx(437, 0x81));
}

TEST(OtherCodePages, BadInputIsReplacedOrFailsWhenAskedTo) {
  // Big5 has no trail byte 0x20; a Shift_JIS lead byte at the end; 1252's
  // unassigned 0x81; an odd byte and a lone surrogate in UTF-16LE.
  EXPECT_EQ(toWide(950, "\xA4 A"), u"\uFFFD A");
  EXPECT_EQ(toWide(932, "A\x82"), u"A\uFFFD");
  EXPECT_EQ(toWide(1200, std::string("\x00\xDC"
                                     "A\0B",
                                     5)),
            u"\uFFFDA\uFFFD");
  SetLastError(0);
  EXPECT_EQ(toWide(1252, "\x81", MB_ERR_INVALID_CHARS), u"");
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NO_UNICODE_TRANSLATION));
  EXPECT_EQ(toWide(54936, "\x81\x30\x81", MB_ERR_INVALID_CHARS), u"");
}

TEST(OtherCodePages, MissingCharactersGetTheDefaultUnlessThePageHasThemAll) {
  BOOL used = FALSE;
  EXPECT_EQ(toBytes(28591, u"a中", 0, nullptr, &used), "a?");
  EXPECT_TRUE(used);
  EXPECT_EQ(toBytes(932, u"中", 0, "\x81\x48", &used), "\x92\x86");  // Japanese has 中
  EXPECT_EQ(toBytes(932, u"\uAC00", 0, "\x81\x48", &used), "\x81\x48");
  EXPECT_EQ(toBytes(54936, u"\xD800"), "\x84\x31\xA4\x37");
  EXPECT_EQ(toBytes(1200, u"\xD800"), "\xFD\xFF");
}
