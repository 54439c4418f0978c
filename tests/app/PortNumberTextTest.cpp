#include <gtest/gtest.h>

#include "PortNumberText.h"

namespace {

TEST(PortNumberOf, ReadsTheWholeDecimalNumberAfterCom) {
  int number = -1;
  EXPECT_TRUE(PortNumberOf("COM7", number));
  EXPECT_EQ(number, 7);
  EXPECT_TRUE(PortNumberOf("COM1024", number));
  EXPECT_EQ(number, 1024);
  EXPECT_TRUE(PortNumberOf("COM2147483647", number));
  EXPECT_EQ(number, 2147483647);
}

TEST(PortNumberOf, RefusesAnyOtherTextAndLeavesTheNumberAlone) {
  for (const char* text : {"", "COM", "com7", "LPT5", "COM-1", "COM+1", "COM 1", "COM1 ", "COM1a", "COM2147483648",
                           "COM99999999999", "COM１"}) {
    int number = -7;
    EXPECT_FALSE(PortNumberOf(text, number)) << text;
    EXPECT_EQ(number, -7) << text;
  }
}

}  // namespace
