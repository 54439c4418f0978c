#include <toolkit/testing.h>
#include <toolkit/toolkit.h>

#include <gtest/gtest.h>

#include <stdexcept>

#include "GuardedStartUp.h"

namespace {

class GuardedStartUp : public ::testing::Test {
 protected:
  void SetUp() override {
    Application->Initialize();
    Application->Title = "Kestrix";
    AnswerDialogsForTesting(true);
    ClearShownDialogsForTesting();
  }

  // The one error box shown, as "caption|text".
  static std::string OnlyBox() {
    const std::vector<ShownDialog> shown = ShownDialogsForTesting();
    EXPECT_EQ(shown.size(), 1u);
    if (shown.empty()) return "";
    EXPECT_EQ(shown[0].Flags & 0xF0, static_cast<UINT>(MB_ICONSTOP));
    return shown[0].Caption.Utf8() + "|" + shown[0].Text.Utf8();
  }
};

TEST_F(GuardedStartUp, AToolkitErrorIsShownWithAFullStopAddedByTheRule) {
  EXPECT_EQ(RunGuarded([] { throw EConvertError("'COMx' is not a valid integer value"); }), 0);
  EXPECT_EQ(OnlyBox(), "Kestrix|'COMx' is not a valid integer value.");
}

TEST_F(GuardedStartUp, AMessageEndingInACharacterThatSortsBeforeTheFullStopKeepsIt) {
  EXPECT_EQ(RunGuarded([] { throw Exception("Out of paper!"); }), 0);
  EXPECT_EQ(OnlyBox(), "Kestrix|Out of paper!");
}

TEST_F(GuardedStartUp, ANonToolkitErrorIsShownWithAnEmptyMessage) {
  EXPECT_EQ(RunGuarded([] { throw 42; }), 0);
  EXPECT_EQ(OnlyBox(), "Kestrix|");
}

TEST_F(GuardedStartUp, ANormalRunShowsNothing) {
  EXPECT_EQ(RunGuarded([] {}), 0);
  EXPECT_TRUE(ShownDialogsForTesting().empty());
}

}  // namespace
