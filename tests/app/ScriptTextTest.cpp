// What a script's expects search: the bytes a port received read as text in
// the panel's encoding, matched by text or by RE2, and hexadecimal byte
// texts. No window, no port.
#include <gtest/gtest.h>

#include <string>

#include "ReceivedText.h"
#include "ScriptBytes.h"
#include "ScriptRegex.h"

namespace {

TEST(ReceivedText, FindsTextWhoseBytesCameSplitAndTakesWhatCameBefore) {
  ReceivedText received(936);
  ReceivedText::Match match;
  received.Add("boot> lo");
  EXPECT_FALSE(received.Find("login:", match));
  received.Add("gin: rest");
  ASSERT_TRUE(received.Find("login:", match));
  std::string before, matched;
  received.TakeThrough(match, before, matched);
  EXPECT_EQ(before, "boot> ");
  EXPECT_EQ(matched, "login:");
  // What follows the match is kept for the next expect.
  EXPECT_EQ(received.Text(), " rest");
}

TEST(ReceivedText, AGbkCharacterSplitBetweenDeliveriesIsMatchedWhole) {
  ReceivedText received(936);
  ReceivedText::Match match;
  // "就绪" in GBK is BE CD D0 F7; the split falls inside the second.
  received.Add("\xBE\xCD\xD0");
  EXPECT_FALSE(received.Find("就绪", match));
  EXPECT_EQ(received.Text(), "就");  // the cut character waits for its byte
  received.Add("\xF7\r\n");
  ASSERT_TRUE(received.Find("就绪", match));
  std::string before, matched;
  received.TakeThrough(match, before, matched);
  EXPECT_EQ(matched, "就绪");
  EXPECT_EQ(received.TakeBytes(16), "\r\n");  // the bytes behind the match went with it
}

TEST(ReceivedText, BytesThatMakeNoCharacterAreKeptAndTakenAsTheyCame) {
  ReceivedText received(CP_UTF8);
  received.Add(std::string("\x01\xFF\x02OK", 5));
  ReceivedText::Match match;
  ASSERT_TRUE(received.Find("OK", match));
  std::string before, matched;
  received.TakeThrough(match, before, matched);
  EXPECT_EQ(before, std::string("\x01\xFF\x02", 3));
  EXPECT_EQ(received.ByteCount(), 0u);
}

TEST(ReceivedText, OnlyTheOldestBytesGoWhenNothingTakesThem) {
  ReceivedText received(936);
  const std::string block(1024 * 1024, 'x');
  for (int n = 0; n < 5; ++n) received.Add(block);
  received.Add("END");
  EXPECT_GT(received.Dropped(), 0u);
  EXPECT_LE(received.ByteCount(), ReceivedText::kKeptBytes);
  ReceivedText::Match match;
  EXPECT_TRUE(received.Find("END", match));
}

TEST(ScriptRegex, MatchesAcrossLineBreaksAndGivesItsCaptures) {
  ScriptRegex regex;
  std::string error;
  ASSERT_TRUE(regex.Compile(R"(temp=(\d+)\r?\n(?s:.*?)OK)", error)) << error;
  ScriptRegex::Found found;
  ASSERT_TRUE(regex.Search("junk temp=41\r\nline two\r\nOK\r\n", found));
  EXPECT_EQ(found.Begin, 5u);
  EXPECT_EQ(found.End, 26u);
  ASSERT_EQ(found.Groups.size(), 1u);
  EXPECT_EQ(found.Groups[0], "41");
}

TEST(ScriptRegex, RefusesABadPatternAndNeverBacktracksOnAnEvilOne) {
  ScriptRegex bad;
  std::string error;
  EXPECT_FALSE(bad.Compile("(unclosed", error));
  EXPECT_FALSE(error.empty());
  // (a+)+b against many a's takes exponential time in a backtracking engine.
  ScriptRegex evil;
  ASSERT_TRUE(evil.Compile("(a+)+b", error));
  ScriptRegex::Found found;
  EXPECT_FALSE(evil.Search(std::string(100000, 'a'), found));
}

TEST(ScriptBytes, HexPairsReadWithOrWithoutBlanksAndRefuseAHalfByte) {
  std::string bytes;
  ASSERT_TRUE(BytesOfHexPairs("01 03 0a\tFF0d", bytes));
  EXPECT_EQ(bytes, std::string("\x01\x03\x0A\xFF\x0D", 5));
  EXPECT_EQ(HexPairsOf(bytes), "01 03 0A FF 0D");
  EXPECT_FALSE(BytesOfHexPairs("01 0", bytes));
  EXPECT_FALSE(BytesOfHexPairs("0x01", bytes));
  EXPECT_EQ(FirstNonUtf8("ok 就绪"), std::string::npos);
  EXPECT_EQ(FirstNonUtf8("ok\xBE\xCD"), 2u);
}

}  // namespace
