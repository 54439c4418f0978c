// The command line: help and version answer and end the program; anything
// else is refused with a usage error; no arguments start the window.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "CommandLine.h"

namespace {

CommandLineOutcome Read(std::vector<const char*> arguments) {
  arguments.insert(arguments.begin(), "kestrix");
  return ReadCommandLine(static_cast<int>(arguments.size()), arguments.data(), "/home/ada/.local/state/kestrix/Log/");
}

TEST(CommandLine, NoArgumentsStartTheWindowSilently) {
  const CommandLineOutcome outcome = Read({});
  EXPECT_TRUE(outcome.bStartWindow);
  EXPECT_EQ(outcome.Out + outcome.Err, "");
}

TEST(CommandLine, HelpAndVersionPrintToStandardOutputAndSucceed) {
  for (const char* help : {"--help", "-h"}) {
    const CommandLineOutcome outcome = Read({help});
    EXPECT_FALSE(outcome.bStartWindow) << help;
    EXPECT_EQ(outcome.nExitCode, 0);
    EXPECT_EQ(outcome.Out.rfind("Usage: kestrix", 0), 0u) << outcome.Out;
    EXPECT_NE(outcome.Out.find("--version"), std::string::npos);
    EXPECT_NE(outcome.Out.find("Log files: /home/ada/.local/state/kestrix/Log/\n"), std::string::npos);
    EXPECT_EQ(outcome.Err, "");
  }
  for (const char* version : {"--version", "-V"}) {
    const CommandLineOutcome outcome = Read({version});
    EXPECT_FALSE(outcome.bStartWindow);
    EXPECT_EQ(outcome.nExitCode, 0);
    EXPECT_EQ(outcome.Out, "kestrix " KESTRIX_VERSION "\n");
  }
  EXPECT_EQ(Read({"--version", "--help"}).Out.rfind("Usage:", 0), 0u);  // help wins, as usual
}

TEST(CommandLine, AnythingElseIsAUsageErrorNamingTheArgumentEvenBesideHelp) {
  struct Case {
    std::vector<const char*> arguments;
    const char* message;
  } cases[] = {
      {{"--port=COM3"}, "kestrix: unknown option '--port=COM3'\n"},
      {{"-x"}, "kestrix: unknown option '-x'\n"},
      {{"COM3"}, "kestrix: unexpected argument 'COM3'\n"},
      {{"-"}, "kestrix: unexpected argument '-'\n"},
      {{""}, "kestrix: unexpected argument ''\n"},
      {{"--help", "--bogus"}, "kestrix: unknown option '--bogus'\n"},
  };
  for (const Case& c : cases) {
    const CommandLineOutcome outcome = Read(c.arguments);
    EXPECT_FALSE(outcome.bStartWindow) << c.message;
    EXPECT_EQ(outcome.nExitCode, 2);
    EXPECT_EQ(outcome.Out, "");
    EXPECT_EQ(outcome.Err, std::string(c.message) + "Try 'kestrix --help' for more information.\n");
  }
}

}  // namespace
