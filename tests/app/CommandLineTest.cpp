// The command line: help and version answer and end the program; anything
// else is refused with a usage error; no arguments start the window.
#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <utility>
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

TEST(CommandLine, EachPanelOptionTakesThePanelsOwnValuesInEitherForm) {
  const CommandLineOutcome outcome =
      Read({"--port1", "COM3", "--baud1", "115200", "--port2=com04", "--baud2=9600", "--parity1", "e", "--parity2",
            "mark", "--data1", "7", "--data2=5", "--stop1", "2", "--stop2", "1.5", "--open"});
  ASSERT_TRUE(outcome.bStartWindow) << outcome.Err;
  EXPECT_EQ(outcome.Out + outcome.Err, "");
  const PanelStartChoices& one = outcome.Choices.Panels[0];
  const PanelStartChoices& two = outcome.Choices.Panels[1];
  EXPECT_EQ(one.Port, "COM3");
  EXPECT_EQ(one.Baud, "115200");
  EXPECT_EQ(one.Parity, "E (偶)");
  EXPECT_EQ(one.DataBits, "7");
  EXPECT_EQ(one.StopBits, "2");
  EXPECT_EQ(two.Port, "COM4") << "written as the port lists write it";
  EXPECT_EQ(two.Baud, "9600");
  EXPECT_EQ(two.Parity, "M (标记)");
  EXPECT_EQ(two.DataBits, "5");
  EXPECT_EQ(two.StopBits, "1.5") << "with 5 data bits, as the panel takes it";
  EXPECT_TRUE(outcome.Choices.Open);

  const CommandLineOutcome partial = Read({"--baud2", "57600"});
  ASSERT_TRUE(partial.bStartWindow);
  EXPECT_FALSE(partial.Choices.Panels[0].Baud) << "panel 1 left as it starts";
  EXPECT_FALSE(partial.Choices.Panels[1].Port);
  EXPECT_EQ(partial.Choices.Panels[1].Baud, "57600");
  EXPECT_FALSE(partial.Choices.Open);

  for (auto [typed, item] : {std::pair{"N", "N (无)"},
                             {"none", "N (无)"},
                             {"O", "O (奇)"},
                             {"Odd", "O (奇)"},
                             {"EVEN", "E (偶)"},
                             {"s", "S (空格)"},
                             {"space", "S (空格)"}})
    EXPECT_EQ(Read({"--parity1", typed}).Choices.Panels[0].Parity, item) << typed;
  EXPECT_EQ(Read({"--port1", "COM1024"}).Choices.Panels[0].Port, "COM1024");
  // A port on a server, in the form the system keeps.
  EXPECT_EQ(Read({"--port1", "RFC2217://pi.lab:2000/"}).Choices.Panels[0].Port, "rfc2217://pi.lab:2000");
  EXPECT_EQ(Read({"--port2", "tcp://[::1]:4000"}).Choices.Panels[1].Port, "tcp://[::1]:4000");
  EXPECT_EQ(Read({"--baud1", "50"}).Choices.Panels[0].Baud, "50");
  EXPECT_EQ(Read({"--baud1", "4000000"}).Choices.Panels[0].Baud, "4000000");
}

TEST(CommandLine, AWrongPanelOptionOrValueIsAUsageErrorSayingWhatIsAccepted) {
  struct Case {
    std::vector<const char*> arguments;
    const char* message;
  } cases[] = {
      {{"--port1", "COM0"},
       "invalid value 'COM0' for '--port1' (COM1 to COM1024, rfc2217://HOST:PORT or tcp://HOST:PORT)"},
      {{"--port1", "COM1025"},
       "invalid value 'COM1025' for '--port1' (COM1 to COM1024, rfc2217://HOST:PORT or tcp://HOST:PORT)"},
      {{"--port2", "/dev/ttyUSB0"},
       "invalid value '/dev/ttyUSB0' for '--port2' (COM1 to COM1024, rfc2217://HOST:PORT or tcp://HOST:PORT)"},
      {{"--port1", "COM+3"},
       "invalid value 'COM+3' for '--port1' (COM1 to COM1024, rfc2217://HOST:PORT or tcp://HOST:PORT)"},
      {{"--port1", "COM"},
       "invalid value 'COM' for '--port1' (COM1 to COM1024, rfc2217://HOST:PORT or tcp://HOST:PORT)"},
      {{"--port1", "tcp://::1:4000"},
       "invalid value 'tcp://::1:4000' for '--port1' (COM1 to COM1024, rfc2217://HOST:PORT or tcp://HOST:PORT)"},
      {{"--port1", "rfc2217://pi:0"},
       "invalid value 'rfc2217://pi:0' for '--port1' (COM1 to COM1024, rfc2217://HOST:PORT or tcp://HOST:PORT)"},
      {{"--baud1", "fast"}, "invalid value 'fast' for '--baud1' (a rate from 50 to 4000000)"},
      {{"--baud1", "49"}, "invalid value '49' for '--baud1' (a rate from 50 to 4000000)"},
      {{"--baud2=4000001"}, "invalid value '4000001' for '--baud2' (a rate from 50 to 4000000)"},
      {{"--baud1", "99999999999999999999"},
       "invalid value '99999999999999999999' for '--baud1' (a rate from 50 to 4000000)"},
      {{"--baud1", "-9600"}, "invalid value '-9600' for '--baud1' (a rate from 50 to 4000000)"},
      {{"--parity1", "X"}, "invalid value 'X' for '--parity1' (N, O, E, M, S or none, odd, even, mark, space)"},
      {{"--data1", "9"}, "invalid value '9' for '--data1' (5, 6, 7 or 8)"},
      {{"--data2", "4"}, "invalid value '4' for '--data2' (5, 6, 7 or 8)"},
      {{"--stop1", "1,5"}, "invalid value '1,5' for '--stop1' (1, 1.5 or 2)"},
      {{"--stop1", "3"}, "invalid value '3' for '--stop1' (1, 1.5 or 2)"},
      {{"--stop2="}, "invalid value '' for '--stop2' (1, 1.5 or 2)"},
      {{"--port1"}, "option '--port1' needs a value (COM1 to COM1024, rfc2217://HOST:PORT or tcp://HOST:PORT)"},
      {{"--baud3", "9600"}, "unknown option '--baud3'"},
      {{"--port", "COM1"}, "unknown option '--port'"},
      {{"--port1", "COM1", "--port1", "COM2"}, "option '--port1' is given twice"},
      {{"--open", "--port1", "COM1", "--open"}, "option '--open' is given twice"},
      {{"--open"}, "option '--open' needs --port1 or --port2"},
      {{"--baud1", "9600", "--open"}, "option '--open' needs --port1 or --port2"},
      {{"--port1", "COM3", "--port2", "com3"}, "--port1 and --port2 both name COM3"},
      {{"--port1", "COM3", "extra"}, "unexpected argument 'extra'"},
      {{"--help", "--data1", "9"}, "invalid value '9' for '--data1' (5, 6, 7 or 8)"},
      {{"--script"}, "option '--script' needs a value (a script file)"},
      {{"--script="}, "option '--script' needs a value (a script file)"},
      {{"--script", "a.lua", "--script=b.lua"}, "option '--script' is given twice"},
      {{"--scripts", "a.lua"}, "unknown option '--scripts'"},
  };
  for (const Case& c : cases) {
    const CommandLineOutcome outcome = Read(c.arguments);
    EXPECT_FALSE(outcome.bStartWindow) << c.message;
    EXPECT_EQ(outcome.nExitCode, 2) << c.message;
    EXPECT_EQ(outcome.Out, "");
    EXPECT_EQ(outcome.Err, std::string("kestrix: ") + c.message + "\nTry 'kestrix --help' for more information.\n");
  }
}

TEST(CommandLine, AScriptIsTakenWithThePanelOptionsInEitherForm) {
  for (const std::vector<const char*>& arguments :
       {std::vector<const char*>{"--script", "t.lua", "--port1", "COM3", "--baud2", "9600"},
        std::vector<const char*>{"--port1", "COM3", "--script=t.lua", "--baud2", "9600"}}) {
    const CommandLineOutcome outcome = Read(arguments);
    ASSERT_TRUE(outcome.bStartWindow) << outcome.Err;
    EXPECT_EQ(outcome.Choices.Script, "t.lua");
    EXPECT_EQ(outcome.Choices.Panels[0].Port, "COM3");
    EXPECT_EQ(outcome.Choices.Panels[1].Baud, "9600");
  }
  EXPECT_FALSE(Read({"--port1", "COM3"}).Choices.Script);
}

TEST(CommandLine, HelpNamesEveryPanelOption) {
  const std::string help = Read({"--help"}).Out;
  for (const char* option : {"--portN", "--baudN", "--parityN", "--dataN", "--stopN", "--open", "--script"})
    EXPECT_NE(help.find(option), std::string::npos) << option;
}

}  // namespace

namespace {

// --settings names a setup checked before any window: a bad one is a usage
// error naming its line.
TEST(CommandLine, ASetupFileIsCheckedBeforeAnyWindowAndABadOneNamesItsLine) {
  const std::string folder = testing::TempDir();
  const std::string good = folder + "/kestrix-good-setup.ini", bad = folder + "/kestrix-bad-setup.ini";
  std::ofstream(good, std::ios::binary) << "[Device1]\nPort=COM3\n";
  std::ofstream(bad, std::ios::binary) << "[Device1]\nPort=COM3\nnonsense\n";
  EXPECT_EQ(Read({"--settings", good.c_str()}).Choices.Setup, good);
  EXPECT_EQ(Read({("--settings=" + good).c_str()}).Choices.Setup, good);
  const CommandLineOutcome refused = Read({"--settings", bad.c_str()});
  EXPECT_FALSE(refused.bStartWindow);
  EXPECT_EQ(refused.nExitCode, 2);
  EXPECT_NE(refused.Err.find("line 3"), std::string::npos) << refused.Err;
  EXPECT_FALSE(Read({"--settings", (folder + "/no such setup").c_str()}).bStartWindow);
  EXPECT_FALSE(Read({"--settings"}).bStartWindow);
  EXPECT_FALSE(Read({"--settings", good.c_str(), "--settings", good.c_str()}).bStartWindow);
}

}  // namespace
