// Filling translated patterns, and the language the environment asks for.
#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>

#include <toolkit/translation.h>

#include "language_choice.h"
#include "string_printer.h"

namespace {

TEST(Fill, PutsEachValueAtItsNumberInAnyOrder) {
  EXPECT_EQ(Fill("保存到 %1（%2 字节）", {"a.txt", "12"}), String("保存到 a.txt（12 字节）"));
  EXPECT_EQ(Fill("%2 bytes to %1, %1 again", {"a.txt", "12"}), String("12 bytes to a.txt, a.txt again"));
}

TEST(Fill, NeverFillsWhatAValueBrought) {
  EXPECT_EQ(Fill("%1 and %2", {"%2", "x"}), String("%2 and x"));
  EXPECT_EQ(Fill("%1", {"100%"}), String("100%"));
}

TEST(Fill, LeavesPlaceholdersWithoutValuesAndStrayPercentSigns) {
  EXPECT_EQ(Fill("%1 %2 %0 %a 50%% %", {"x"}), String("x %2 %0 %a 50% %"));
  EXPECT_EQ(Fill("", {"x"}), String(""));
  EXPECT_EQ(Fill("%9", {}), String("%9"));
}

TEST(Tr, GivesTheSourceTextWithoutACatalog) {
  EXPECT_EQ(Tr("NoSuchContext", "打开"), String("打开"));
  EXPECT_EQ(TrText("NoSuchContext", String("清空")), String("清空"));
}

TEST(TrMessage, FillsNestedMessagesAndValuesOnceEachWay) {
  const TrMessage inner = TrMessage("NoSuchContext", "进程 %1").Arg("%2");
  const TrMessage outer = TrMessage("NoSuchContext", "%1 和 %2").Arg(inner).Arg("x");
  EXPECT_EQ(outer.Logged(), String("进程 %2 和 x"));
  EXPECT_EQ(outer.Shown(), outer.Logged());
  EXPECT_TRUE(TrMessage().IsEmpty());
  EXPECT_EQ(TrMessage::AsItStands("%1").Arg("y").Logged(), String("%1"));
}

// The language for an environment, with catalogs for English and German.
std::string LanguageFor(std::map<std::string, std::string> variables) {
  const std::set<std::string> catalogs = {"en", "de"};
  return ChooseLanguage(
      [&](const char* name) -> const char* {
        auto found = variables.find(name);
        return found == variables.end() ? nullptr : found->second.c_str();
      },
      [&](const std::string& language) { return catalogs.count(language) > 0; });
}

TEST(ChooseLanguage, TakesTheLocaleOfTheFirstSetVariable) {
  EXPECT_EQ(LanguageFor({}), "zh_CN");
  EXPECT_EQ(LanguageFor({{"LANG", "en_US.UTF-8"}}), "en");
  EXPECT_EQ(LanguageFor({{"LANG", "zh_CN.UTF-8"}}), "zh_CN");
  EXPECT_EQ(LanguageFor({{"LANG", "zh_CN.UTF-8"}, {"LC_MESSAGES", "en_GB.UTF-8"}}), "en");
  EXPECT_EQ(LanguageFor({{"LANG", "en_GB.UTF-8"}, {"LC_MESSAGES", "zh_TW.UTF-8"}}), "zh_CN");
  EXPECT_EQ(LanguageFor({{"LANG", "zh_CN.UTF-8"}, {"LC_MESSAGES", "zh_CN"}, {"LC_ALL", "en_AU"}}), "en");
  EXPECT_EQ(LanguageFor({{"LC_ALL", ""}, {"LC_MESSAGES", ""}, {"LANG", "en_US@euro"}}), "en");
  EXPECT_EQ(LanguageFor({{"LANG", "en"}}), "en");
}

TEST(ChooseLanguage, PlainCLocaleTakesTheSourceLanguageAndIgnoresLanguage) {
  for (const char* locale : {"C", "POSIX", "C.UTF-8"}) {
    EXPECT_EQ(LanguageFor({{"LANG", locale}}), "zh_CN") << locale;
    EXPECT_EQ(LanguageFor({{"LC_ALL", locale}, {"LANGUAGE", "en"}, {"LANG", "en_US.UTF-8"}}), "zh_CN") << locale;
  }
  EXPECT_EQ(LanguageFor({{"LANGUAGE", "en"}}), "zh_CN");
}

TEST(ChooseLanguage, LanguageListsTheLanguagesInOrderOverTheLocale) {
  EXPECT_EQ(LanguageFor({{"LANG", "zh_CN.UTF-8"}, {"LANGUAGE", "en_US"}}), "en");
  EXPECT_EQ(LanguageFor({{"LANG", "en_US.UTF-8"}, {"LANGUAGE", "zh_CN:en"}}), "zh_CN");
  EXPECT_EQ(LanguageFor({{"LANG", "en_US.UTF-8"}, {"LANGUAGE", "fr:de_AT:en"}}), "de");
  EXPECT_EQ(LanguageFor({{"LANG", "en_US.UTF-8"}, {"LANGUAGE", "fr::it"}}), "zh_CN");
  EXPECT_EQ(LanguageFor({{"LANG", "en_US.UTF-8"}, {"LANGUAGE", ""}}), "en");
  EXPECT_EQ(LanguageFor({{"LC_ALL", "fr_FR.UTF-8"}, {"LANGUAGE", ":en:"}}), "en");
}

TEST(ChooseLanguage, LanguageWithoutACatalogTakesTheSourceLanguage) {
  EXPECT_EQ(LanguageFor({{"LANG", "fr_FR.UTF-8"}}), "zh_CN");
  EXPECT_EQ(LanguageFor({{"LANG", "ja_JP.eucJP"}}), "zh_CN");
  EXPECT_EQ(LanguageFor({{"LANG", "_US"}}), "zh_CN");
  EXPECT_EQ(LanguageFor({{"LANG", ".UTF-8"}}), "zh_CN");
}

}  // namespace
