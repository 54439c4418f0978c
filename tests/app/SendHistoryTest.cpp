// The send line's history: order, one place per text, limit, walking.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "SendHistory.h"

namespace {

std::vector<std::string> Texts(const SendHistory& history) {
  std::vector<std::string> texts;
  for (const String& text : history.Texts()) texts.push_back(text.Utf8());
  return texts;
}

TEST(SendHistory, UpWalksBackFromTheNewestAndDownReturnsToTheUnsentText) {
  SendHistory history;
  String shown = "unchanged";
  EXPECT_FALSE(history.Older("draft", shown)) << "nothing sent yet";
  EXPECT_FALSE(history.Newer(shown));
  EXPECT_EQ(shown, String("unchanged"));

  for (const char* text : {"one", "two", "three"}) history.Add(text);
  ASSERT_TRUE(history.Older("draft", shown));
  EXPECT_EQ(shown, String("three"));
  ASSERT_TRUE(history.Older(shown, shown));
  EXPECT_EQ(shown, String("two"));
  ASSERT_TRUE(history.Older(shown, shown));
  EXPECT_EQ(shown, String("one"));
  EXPECT_FALSE(history.Older(shown, shown)) << "the oldest is the end";
  EXPECT_EQ(shown, String("one"));
  ASSERT_TRUE(history.Newer(shown));
  EXPECT_EQ(shown, String("two"));
  ASSERT_TRUE(history.Newer(shown));
  ASSERT_TRUE(history.Newer(shown));
  EXPECT_EQ(shown, String("draft")) << "past the newest comes what was typed";
  EXPECT_FALSE(history.Newer(shown)) << "the walk is over";

  // Sending ends a walk: the next Up starts at the newest again.
  ASSERT_TRUE(history.Older("x", shown));
  ASSERT_TRUE(history.Older(shown, shown));
  history.Add("four");
  ASSERT_TRUE(history.Older("", shown));
  EXPECT_EQ(shown, String("four"));
}

TEST(SendHistory, ATextSentAgainMovesToTheNewestPlaceAndEmptyTextsAreNotKept) {
  SendHistory history;
  for (const char* text : {"a", "b", "a", "c", "c", "", "中文"}) history.Add(text);
  EXPECT_EQ(Texts(history), (std::vector<std::string>{"b", "a", "c", "中文"}));
}

TEST(SendHistory, OnlyTheNewestFiftyAreKeptAlsoWhenAssigned) {
  SendHistory history;
  std::vector<String> many;
  for (int i = 1; i <= 60; ++i) many.push_back(IntToStr(i));
  for (const String& text : many) history.Add(text);
  ASSERT_EQ(history.Texts().size(), 50u);
  EXPECT_EQ(history.Texts().front(), String("11"));
  EXPECT_EQ(history.Texts().back(), String("60"));

  SendHistory assigned;
  many.push_back("1");  // a duplicate of an old one: once, newest
  assigned.Assign(many);
  ASSERT_EQ(assigned.Texts().size(), 50u);
  EXPECT_EQ(assigned.Texts().front(), String("12"));
  EXPECT_EQ(assigned.Texts().back(), String("1"));
}

}  // namespace
