// String, AnsiString and the integer conversions.
#include <gtest/gtest.h>

#include "string_printer.h"

#include "toolkit/exceptions.h"
#include "toolkit/property.h"
#include "toolkit/strings.h"

namespace {

TEST(Strings, SubStringCountsCharactersFromOne) {
  String ports = "COM12";
  EXPECT_EQ(ports.SubString(4, 3), String("12"));
  EXPECT_EQ(String("COM1000").SubString(4, 3), String("100"));
  EXPECT_EQ(String("COM").SubString(4, 3), String(""));
  EXPECT_EQ(String("N (无)").SubString(1, 1), String("N"));
  EXPECT_EQ(String("设备1").SubString(2, 2), String("备1"));
  EXPECT_EQ(String("abc").SubString(0, 2), String("a"));
  EXPECT_EQ(String("abc").SubString(2, 0), String(""));
  EXPECT_EQ(String("abc").SubString(2, -1), String(""));
}

TEST(Strings, LengthCountsCharactersAndAnsiLengthCountsBytes) {
  EXPECT_EQ(String("确定要退出吗？").Length(), 7);
  EXPECT_EQ(AnsiString(String("确定要退出吗？")).Length(), 14);
  EXPECT_EQ(AnsiString(String("a\r\n中")).Length(), 5);
  // Bytes that are not UTF-8 still have a defined length.
  EXPECT_EQ(String("\xFF\xFE"
                   "a")
                .Length(),
            3);
}

TEST(Strings, AnsiConversionRoundTripsAndMarksWhatGbkLacks) {
  String text = "不能打开 COM1";
  AnsiString ansi(text);
  EXPECT_EQ(ansi.Bytes(), std::string("\xB2\xBB\xC4\xDC\xB4\xF2\xBF\xAA COM1"));
  EXPECT_EQ(String(ansi), text);
  // One mark per UTF-16 unit, as the platform converts.
  EXPECT_EQ(AnsiString(String("a😀b")).Bytes(), std::string("a??b"));
  // A lead byte without its partner does not swallow what follows.
  String broken(AnsiString("A\xB2"));
  EXPECT_EQ(broken.SubString(1, 1), String("A"));
  EXPECT_EQ(broken.Length(), 2);
  EXPECT_EQ(AnsiString("a\0b", 3).Length(), 3);
}

TEST(Strings, TrimRemovesBlanksAndControlCharacters) {
  EXPECT_EQ(String(" \t 9600\r\n").Trim(), String("9600"));
  EXPECT_EQ(String("\x01 12 34 \x1F").Trim(), String("12 34"));
  EXPECT_EQ(String("   ").Trim(), String(""));
  EXPECT_EQ(String(" 中 ").Trim(), String("中"));
}

TEST(Strings, ToIntAcceptsOnlySigned32BitDecimalText) {
  EXPECT_EQ(String("12").ToInt(), 12);
  EXPECT_EQ(String("  -7").ToInt(), -7);
  EXPECT_EQ(String("+2147483647").ToInt(), 2147483647);
  EXPECT_EQ(String("-2147483648").ToInt(), -2147483647 - 1);
  for (const char* bad : {"", " ", "1a", "2147483648", "-2147483649", "0x12", "$1F", "1 ", "1.5", "-", "中"})
    EXPECT_THROW(StrToInt(bad), EConvertError) << bad;
  try {
    StrToInt("xyz");
    FAIL();
  } catch (const Exception& e) {
    EXPECT_EQ(e.Message, String("'xyz' is not a valid integer value"));
  }
  EXPECT_EQ(StrToIntDef("x", -1), -1);
  EXPECT_EQ(IntToStr(-42), String("-42"));
}

TEST(Strings, SprintfFormatsCounterLines) {
  String line;
  line.sprintf("COM%d: S:%6d R:%6d", 3, 10, 25);
  EXPECT_EQ(line, String("COM3: S:    10 R:    25"));
}

TEST(Strings, ComparisonsOrderByCodePoint) {
  EXPECT_TRUE(String("COM1") < String("COM10"));
  EXPECT_TRUE(String("z") < String("中"));
  EXPECT_TRUE(String("打开") == "打开");
  EXPECT_TRUE("关闭" != String("打开"));
  EXPECT_EQ(String("a") + "b" + String("中"), String("ab中"));
}

// Properties bind lambdas that capture their owner only.
struct CaptionOwner {
  String stored = "打开";
  int writes = 0;
  Property<String> caption{[this] { return stored; },
                           [this](const String& value) {
                             stored = value;
                             ++writes;
                           }};
};

TEST(Properties, ReadAndWriteThroughTheirOwner) {
  CaptionOwner owner;
  Property<String>& caption = owner.caption;
  EXPECT_TRUE(caption == "打开");
  caption = "关闭";
  EXPECT_EQ(owner.stored, String("关闭"));
  EXPECT_EQ(caption.Length(), 2);
  EXPECT_EQ(AnsiString(caption).Length(), 4);
  AnsiString copied = caption;
  EXPECT_EQ(copied.Length(), 4);
  EXPECT_STREQ(caption.Get().c_str(), "关闭");
  caption = caption + "!";
  EXPECT_EQ(owner.stored, String("关闭!"));
  EXPECT_EQ(owner.writes, 2);
}

}  // namespace
