// The log record: its line and its hexadecimal dump.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <regex>
#include <string>

#include "cxLog.h"

namespace {

using Item = CxLog::Item;

std::string lineOf(const Item& item) {
  char area[1024];
  DWORD length = 99;
  EXPECT_EQ(item.FormatLine(area, sizeof area, &length), area);
  EXPECT_EQ(length, std::strlen(area));
  return std::string(area, length);
}

// The line after the time text and its blank.
std::string lineWithoutTime(const Item& item) { return lineOf(item).substr(24); }

std::string dumpOf(const void* bytes, DWORD count, bool replace = true, char replacement = ' ') {
  Item item(nullptr, nullptr, 0, 0, nullptr, bytes, count);
  DWORD length = 0;
  char* dump = item.HexDump(nullptr, 0, &length, replace, replacement);
  std::string text(dump, length);
  if (replace) {
    EXPECT_EQ(length, std::strlen(dump));  // raw bytes may hold a zero
  }
  std::free(dump);
  return text;
}

TEST(LogLine, HoldsTimeLevelSourceLineAndMessage) {
  SYSTEMTIME before{};
  GetLocalTime(&before);
  Item item("C:\\src\\ReadData.cpp", "never written", 81, 2, "boom", nullptr, 0);
  const std::string line = lineOf(item);
  // The local time when the record was made: its date, then its time.
  EXPECT_TRUE(std::regex_match(line.substr(0, 23), std::regex(R"(\d{4}-\d{2}-\d{2} \d{2}:\d{2}:\d{2}\.\d{3})")))
      << line;
  char year[8];
  std::snprintf(year, sizeof year, "%04u-", before.wYear);
  if (before.wMonth != 12 || before.wDay != 31) {
    EXPECT_EQ(line.substr(0, 5), year);  // unless the year turned meanwhile
  }
  EXPECT_EQ(line.substr(23), " Exception ReadData.cpp(81): boom\r\n");
  EXPECT_STREQ(item._szContext, "never written");
}

TEST(LogLine, SourceNameIsWhatFollowsTheLastSeparator) {
  const char* const cases[][2] = {{"a\\b\\c.x", "c.x"}, {"c.x", "c.x"},          {"a\\", ""},
                                  {"\\c.x", "c.x"},     {"src/work/c.x", "c.x"}, {"a\\b/c.x", "c.x"}};
  for (const auto& [path, name] : cases) EXPECT_STREQ(Item(path, nullptr, 1, 0, "", nullptr, 0)._szSource, name);
}

TEST(LogLine, MissingSourceOrMessagePrintsAsEmpty) {
  EXPECT_EQ(lineWithoutTime(Item(nullptr, nullptr, 55, 0, "hi", nullptr, 0)), "Message (0): hi\r\n");
  EXPECT_EQ(lineWithoutTime(Item("x.cpp", nullptr, 7, 1, nullptr, nullptr, 0)), "Warning x.cpp(7): \r\n");
}

TEST(LogLine, EndsWithExactlyOneLineBreak) {
  EXPECT_EQ(lineWithoutTime(Item("x", nullptr, 1, 3, "done\r\n", nullptr, 0)), "Error x(1): done\r\n");
  EXPECT_EQ(lineWithoutTime(Item("x", nullptr, 1, 3, "done\n", nullptr, 0)), "Error x(1): done\n\r\n");
  EXPECT_EQ(lineWithoutTime(Item("x", nullptr, 1, 3, "a\r\nb", nullptr, 0)), "Error x(1): a\r\nb\r\n");
}

TEST(LogLine, LevelNamesAndADefinedNameOutsideTheTable) {
  const char* const names[] = {"Message", "Warning", "Exception", "Error"};
  for (INT8 level = 0; level < 4; ++level)
    EXPECT_EQ(lineWithoutTime(Item("x", nullptr, 1, level, "m", nullptr, 0)),
              std::string(names[level]) + " x(1): m\r\n");
  for (INT8 level : {INT8(-128), INT8(-1), INT8(4), INT8(127)})
    EXPECT_EQ(lineWithoutTime(Item("x", nullptr, 1, level, "m", nullptr, 0)), "Unknown x(1): m\r\n");
}

TEST(LogLine, ALongLineIsCutInsideTheAreaAndStillEnds) {
  const Item item("x", nullptr, 1, 0, std::string(3000, 'm').c_str(), nullptr, 0);
  char area[1040];
  std::memset(area, '#', sizeof area);
  DWORD length = 0;
  item.FormatLine(area, 1024, &length);
  EXPECT_EQ(length, 1023u);
  EXPECT_EQ(std::string(area + 1019, 5), std::string("mm\r\n", 5));
  EXPECT_EQ(std::string(area + 1024, 16), std::string(16, '#'));
  EXPECT_EQ(item.FormatLine(nullptr, 1024, &length), nullptr);
  EXPECT_EQ(item.FormatLine(area, 0, &length), area);
  EXPECT_EQ(length, 0u);
}

TEST(HexDump, ThreeBytesGiveOneLineOf76Characters) {
  char bytes[] = "ABC";
  Item item(nullptr, nullptr, 0, 0, nullptr, bytes, 3);
  bytes[0] = 'Z';  // the record holds its own copy
  char* dump = item.HexDump(nullptr, 0, nullptr, true, ' ');
  EXPECT_EQ(std::string(dump), "00000000: 41 42 43 " + std::string(39, ' ') + "ABC" + std::string(13, ' ') + "\r\n");
  std::free(dump);
}

TEST(HexDump, SixteenBytesALine) {
  unsigned char bytes[32];
  for (int i = 0; i < 32; ++i) bytes[i] = static_cast<unsigned char>('a' + i % 26);
  EXPECT_EQ(dumpOf(bytes, 16).size(), 76u);
  const std::string seventeen = dumpOf(bytes, 17);
  ASSERT_EQ(seventeen.size(), 152u);
  EXPECT_EQ(seventeen.substr(76, 14), "00000010: 71  ");
  EXPECT_EQ(seventeen.substr(134, 18), "q" + std::string(15, ' ') + "\r\n");
  const std::string thirtyTwo = dumpOf(bytes, 32);  // in a block of 2 * 76 + 77 = 229 bytes
  ASSERT_EQ(thirtyTwo.size(), 152u);
  EXPECT_EQ(thirtyTwo.substr(134, 18), "qrstuvwxyzabcdef\r\n");
}

TEST(HexDump, ControlCharactersAreReplacedOnlyWhenAsked) {
  const unsigned char bytes[] = {9, 10, 13, 0, 31, 127, 200, 'a'};
  EXPECT_EQ(dumpOf(bytes, 8, true, '.').substr(10, 24), "09 0A 0D 00 1F 7F C8 61 ");
  EXPECT_EQ(dumpOf(bytes, 8, true, '.').substr(58, 8),
            "......\xC8"
            "a");
  EXPECT_EQ(dumpOf(bytes, 8, false).substr(58, 8), std::string(reinterpret_cast<const char*>(bytes), 8));
}

TEST(HexDump, ACallersSmallAreaGetsACutDump) {
  const Item item(nullptr, nullptr, 0, 0, nullptr, "ABC", 3);
  char area[32];
  std::memset(area, '#', sizeof area);
  DWORD length = 0;
  EXPECT_EQ(item.HexDump(area, 20, &length, true, ' '), area);
  EXPECT_EQ(length, 19u);
  EXPECT_STREQ(area, "00000000: 41 42 43 ");
  EXPECT_EQ(std::string(area + 20, 12), std::string(12, '#'));
}

TEST(HexDump, NoPayloadGivesNoDump) {
  const Item item(nullptr, nullptr, 0, 0, nullptr, "ABC", 0);  // a pointer without a length
  EXPECT_EQ(item._pBin, nullptr);
  char area[8] = "keep";
  DWORD length = 99;
  EXPECT_EQ(item.HexDump(area, sizeof area, &length, true, ' '), area);
  EXPECT_EQ(length, 0u);
  EXPECT_STREQ(area, "keep");
  EXPECT_EQ(item.HexDump(nullptr, 0, &length, true, ' '), nullptr);
}

}  // namespace
