// The entry point of every test program that shows widgets. Unless the
// caller chose a Qt platform, widgets are drawn offscreen: the tests then run
// the same with or without a display, and never put windows on a user's
// desktop.
#include <gtest/gtest.h>

#include <cstdlib>

int main(int argc, char** argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
