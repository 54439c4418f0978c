// Every toolkit test runs in a fixed locale, with dialogs answered
// automatically (and, through the shared GUI test main, offscreen).
#include <gtest/gtest.h>

#include <cstdlib>

#include "toolkit/forms.h"
#include "toolkit/testing.h"

namespace {

class ToolkitEnvironment : public testing::Environment {
 public:
  void SetUp() override {
    // The date and time texts follow the system locale: pin it.
    setenv("LC_ALL", "en_US.UTF-8", 1);
    Application->Initialize();
    AnswerDialogsForTesting(true);
  }
};

const testing::Environment* const environment = testing::AddGlobalTestEnvironment(new ToolkitEnvironment);

}  // namespace
