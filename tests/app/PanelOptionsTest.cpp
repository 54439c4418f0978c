// Period texts and typed periods.
#include <gtest/gtest.h>

#include "PanelOptions.h"

namespace {

TEST(PanelOptions, PeriodsReadInMillisecondsBelowASecondAndInSecondsAbove) {
  EXPECT_EQ(PeriodText(1), String("100毫秒"));
  EXPECT_EQ(PeriodText(5), String("500毫秒"));
  EXPECT_EQ(PeriodText(10), String("1秒"));
  EXPECT_EQ(PeriodText(25), String("2.5秒"));
  EXPECT_EQ(PeriodText(600), String("60秒"));
}

TEST(PanelOptions, ATypedPeriodMustBeAWholeNumberOfTicksFromATickToAMinute) {
  EXPECT_EQ(PeriodTicksFromMilliseconds("100"), 1);
  EXPECT_EQ(PeriodTicksFromMilliseconds(" 2500 "), 25);
  EXPECT_EQ(PeriodTicksFromMilliseconds("60000"), 600);
  for (const char* refused : {"0", "50", "150", "60100", "-100", "1s", "", "99999999999"})
    EXPECT_EQ(PeriodTicksFromMilliseconds(refused), 0) << refused;
}

}  // namespace
