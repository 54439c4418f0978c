// The check a saved setup passes before it is used: what passes, and the
// line and reason of what does not.
#include <gtest/gtest.h>

#include "SetupText.h"

namespace {

TEST(SetupText, ASetupAsTheProgramWritesItPasses) {
  EXPECT_TRUE(CheckSetupText("[Device1]\nPort=COM3\nBaud=115200\n\n[Device2]\nSendText=a=b\n").Passed());
  EXPECT_TRUE(CheckSetupText("\xEF\xBB\xBF; a comment\r\n# another\r\n[Device2]\r\nPort = COM4\r\n").Passed());
  EXPECT_TRUE(CheckSetupText("[Device1]\nSendText=\xE4\xBD\xA0\xE5\xA5\xBD\nEmpty=\n").Passed());
}

TEST(SetupText, TheFirstLineThatBreaksTheRulesIsNamedWithWhy) {
  using namespace std::string_literals;
  const std::pair<std::string, int> cases[] = {
      {"[Device1]\nPort=COM3\nthis is not a setting\n", 3},  // neither key=value nor a section
      {"Port=COM3\n[Device1]\n", 1},                         // a value before any section
      {"[Device1]\n[Device2\n", 2},                          // an unfinished section name
      {"[Device1]\n[]\n", 2},                                // an empty one
      {"[Device1]\n=COM3\n", 2},                             // no key
      {"[Device1]\nPort=COM\xFF\n", 2},                      // not UTF-8
      {"[Device1]\nPort=\xC0\xAF\n", 2},                     // an overlong form
      {"[Device1]\nPort=\xE4\xBD\n", 2},                     // a character cut short
      {"[Device1]\nPort=CO\0M3\n"s, 2},                      // a zero byte
      {"[Window]\nResizable=1\n", 3},                        // no panel's section at all
      {"", 1},
  };
  for (const auto& [text, line] : cases) {
    const SetupCheck check = CheckSetupText(text);
    EXPECT_EQ(check.Line, line) << text;
    EXPECT_FALSE(check.Why.IsEmpty()) << text;
  }
  EXPECT_EQ(CheckSetupText(std::string(kLargestSetup + 1, ';')).Line, 1) << "too large to be a setup";
}

}  // namespace
