// Finding in the log view's store: matches across block ends and in long
// lines, counts that follow appends and drops, the count's thread, and
// going from match to match, against a plain search of the same text.
#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "log_count_job.h"
#include "log_document.h"
#include "log_match_scan.h"
#include "log_search.h"

namespace {

constexpr std::uint64_t kBlock = LogDocument::kBlockBytes;

// The starts of a literal's matches, line by line, none overlapping.
std::vector<std::uint64_t> PlainMatches(const std::string& text, const std::string& needle, std::uint64_t base = 0) {
  std::vector<std::uint64_t> starts;
  std::size_t lineStart = 0;
  while (lineStart <= text.size()) {
    const std::size_t lineEnd = std::min(text.find('\n', lineStart), text.size());
    const std::string line = text.substr(lineStart, lineEnd - lineStart);
    for (std::size_t at = line.find(needle); at != std::string::npos; at = line.find(needle, at + needle.size()))
      starts.push_back(base + lineStart + at);
    lineStart = lineEnd + 1;
  }
  return starts;
}

std::string Kept(const LogDocument& document) { return document.Slice(document.Begin(), document.End()); }

std::vector<std::uint64_t> Scanned(const LogDocument& document, const std::string& needle) {
  const auto pattern = LogPattern::Make(needle, TFindOptions{false, true, false});
  std::vector<std::uint64_t> starts;
  std::string scratch;
  ScanMatches(document, *pattern, document.Begin(), document.Begin(), document.End(), scratch,
              [&](std::uint64_t start, std::uint32_t length) {
                EXPECT_EQ(length, needle.size());
                starts.push_back(start);
                return true;
              });
  return starts;
}

// Log lines, every so often one that runs over several blocks.
std::string Lines(int from, int to) {
  std::string text;
  for (int i = from; i < to; ++i) {
    text += "I (" + std::to_string(i) + ") wifi: needle " + std::to_string(i % 10) + " ok\n";
    if (i % 500 == 250) {
      for (int j = 0; j < 12000; ++j) text += j % 1000 == 999 ? "needle " : "ab ";
      text += "\n";
    }
  }
  return text;
}

TEST(LogSearchTest, ScanningFindsWhatAPlainSearchFindsAcrossBlockEndsAndLongLines) {
  LogDocument document;
  const std::string text = Lines(0, 3000);
  for (std::size_t at = 0; at < text.size(); at += 4093) document.AppendUtf8(text.substr(at, 4093), 0);
  ASSERT_GT(document.End(), 4 * kBlock);
  for (const char* needle : {"needle", "ab", "e 7 o", ") w"}) {
    SCOPED_TRACE(needle);
    EXPECT_EQ(Scanned(document, needle), PlainMatches(text, needle));
  }
  // A match never holds a line break; ^ and $ are at each line's ends.
  const auto expression = LogPattern::Make("ok$", TFindOptions{true, true, false});
  std::uint64_t count = 0;
  std::string scratch;
  ScanMatches(document, *expression, 0, 0, document.End(), scratch, [&](std::uint64_t, std::uint32_t) {
    ++count;
    return true;
  });
  EXPECT_EQ(count, 3000u);
  EXPECT_EQ(Scanned(document, "ok\nI"), std::vector<std::uint64_t>{});
}

TEST(LogSearchTest, CountsFollowAppendsInAnyPiecesAndDropsAtTheLimit) {
  LogDocument document;
  LogSearch search;
  ASSERT_TRUE(search.Start("needle", TFindOptions{false, true, false}, document));
  const std::string text = Lines(0, 2000);
  std::size_t at = 0;
  for (std::size_t piece = 1; at < text.size(); at += piece, piece = piece * 7 % 5003 + 1) {
    document.AppendUtf8(text.substr(at, piece), 0);
    if (at % 3 == 0) search.Update(document);  // not after every append
    if (at > text.size() / 2 && document.Limit() == 0) document.SetLimit(3 * kBlock);
    if (piece % 5 == 0) {
      search.Update(document);
      ASSERT_EQ(search.Count(), PlainMatches(Kept(document), "needle").size()) << "after " << at << " bytes";
    }
  }
  search.Update(document);
  EXPECT_EQ(search.Count(), PlainMatches(Kept(document), "needle").size());
  EXPECT_GT(document.DroppedBytes(), 0u);
  // A long line still open grows over block ends: its finished windows
  // are counted once, the rest found again as it grows.
  for (int i = 0; i < 40; ++i) {
    document.AppendUtf8(std::string(1999, 'a') + "needle", 0);
    search.Update(document);
    ASSERT_EQ(search.Count(), PlainMatches(Kept(document), "needle").size()) << i;
  }
  document.Clear();
  search.Restart(document);
  document.AppendUtf8("a needle\n", 0);
  search.Update(document);
  EXPECT_EQ(search.Count(), 1u);
}

TEST(LogSearchTest, NextVisitsEveryMatchInOrderAndNumbersIt) {
  LogDocument document;
  const std::string text = Lines(0, 1200);
  document.AppendUtf8(text, 0);
  LogSearch search;
  ASSERT_TRUE(search.Start("needle 3", TFindOptions{false, true, false}, document));
  const std::vector<std::uint64_t> expected = PlainMatches(text, "needle 3");
  ASSERT_EQ(search.Count(), expected.size());
  std::uint64_t from = 0;
  for (std::size_t i = 0; i < expected.size(); ++i) {
    const auto match = search.Next(document, from, false);
    ASSERT_TRUE(match);
    ASSERT_EQ(match->start, expected[i]);
    ASSERT_EQ(search.NumberOf(document, *match), i + 1);
    from = match->start + 1;
  }
  EXPECT_EQ(search.Next(document, from, false)->start, expected.front()) << "wraps to the first";
  EXPECT_EQ(search.Next(document, expected.front(), true)->start, expected.back()) << "and back to the last";
  EXPECT_EQ(search.Next(document, expected[5], true)->start, expected[4]);
  EXPECT_EQ(search.NumberOf(document, LogSearch::Match{expected[5] + 1, 8}), 0u) << "no match there";
}

TEST(LogSearchTest, MuchTextIsCountedOnAThreadWhileTextComesAndGoes) {
  LogDocument document;
  document.SetLimit(4u << 20);
  const std::string lines = Lines(0, 20000);
  while (document.DroppedBytes() == 0) document.AppendUtf8(lines, 0);
  LogSearch search;
  ASSERT_TRUE(search.Start("needle 7", TFindOptions{false, true, false}, document));
  EXPECT_TRUE(search.Counting());
  // Meanwhile the window goes on: text comes, the limit drops some.
  for (int i = 0; i < 20; ++i) {
    document.AppendUtf8(lines.substr(std::size_t(i) * 30011 % lines.size(), 30011), 0);
    search.Update(document);
  }
  document.SetLimit(2u << 20);
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
  while (search.Counting() && std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
    search.Update(document);
  }
  search.Update(document);
  ASSERT_FALSE(search.Counting());
  EXPECT_FALSE(search.GaveUp());
  EXPECT_EQ(search.Percent(), 100);
  EXPECT_EQ(search.Count(), PlainMatches(Kept(document), "needle 7").size());
  // Numbers are known again.
  const auto first = search.Next(document, document.Begin(), false);
  ASSERT_TRUE(first);
  EXPECT_EQ(search.NumberOf(document, *first), 1u);
}

TEST(LogSearchTest, TheCountsThreadStopsWhenItsTimeRunsOutOrItIsEnded) {
  LogDocument document;
  const std::string lines = Lines(0, 20000);
  for (int i = 0; i < 8; ++i) document.AppendUtf8(lines, 0);
  const auto pattern = LogPattern::Make("needle", TFindOptions{});
  {
    LogCountJob job(document.Bytes(), pattern, 0, document.End(), std::chrono::milliseconds(0));
    while (!job.Finished()) std::this_thread::yield();
    EXPECT_TRUE(job.OutOfTime());
    EXPECT_LT(job.Reached(), document.End());
  }
  const auto started = std::chrono::steady_clock::now();
  { LogCountJob job(document.Bytes(), pattern, 0, document.End(), std::chrono::seconds(60)); }  // ended at once
  EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(5));
}

TEST(LogSearchTest, PatternsThatAreNotValidAreRefusedAndNoExpressionRunsAway) {
  for (const char* bad : {"(", "a{2,1}", "(?<=a)b", "(a)\\1"})
    EXPECT_EQ(LogPattern::Make(bad, TFindOptions{true, false, false}), nullptr) << bad;
  EXPECT_EQ(LogPattern::Make("0d0", TFindOptions{false, false, true}), nullptr);
  EXPECT_EQ(LogPattern::Make("zz", TFindOptions{false, false, true}), nullptr);
  // Case-insensitive finds know more than ASCII.
  LogDocument document;
  document.AppendUtf8("ÄRGER ärger\n", 0);
  EXPECT_EQ(Scanned(document, "ärger").size(), 1u) << "with case";
  LogSearch search;
  search.Start("ärger", TFindOptions{}, document);
  EXPECT_EQ(search.Count(), 2u);
  // An expression that backtracking engines take exponential time over.
  document.Clear();
  const std::string line = std::string(40, 'a') + "!\n";
  for (int i = 0; i < 50000; ++i) document.AppendUtf8(line, 0);
  const auto started = std::chrono::steady_clock::now();
  ASSERT_TRUE(search.Start("(a+)+$", TFindOptions{true, false, false}, document));
  while (search.Counting()) {
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
    search.Update(document);
  }
  EXPECT_EQ(search.Count(), 0u);
  EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(10));
}

}  // namespace
