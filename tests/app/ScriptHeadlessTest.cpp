// `kestrix --script` run as a test rig runs it: the program started with
// its ports on pseudo-terminals, its exit status, standard output and
// standard error read; the shipped examples run against small simulated
// boards at the far ends.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "../support/temp_folder.h"
#include "Checksums.h"
#include "port_lines.h"

namespace {

using namespace std::chrono_literals;
using serial_lines::FarEnd;

struct Ended {
  int status = -1;  // the exit status; -1 when it did not end by itself in time
  std::string out;
  std::string err;
};

std::string Slurp(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  std::stringstream text;
  text << file.rdbuf();
  return text.str();
}

void Write(const std::string& path, const std::string& text) { std::ofstream(path, std::ios::binary) << text; }

class ScriptHeadless : public ::testing::Test {
 protected:
  // Runs kestrix with the arguments while Board plays the far ends.
  Ended Run(const std::vector<std::string>& arguments, const std::function<void()>& Board = {}) {
    const std::string out = folder_ / "stdout", err = folder_ / "stderr";
    std::vector<char*> argv{const_cast<char*>(KESTRIX_PROGRAM)};
    for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    const pid_t pid = ::fork();
    if (pid == 0) {
      ::dup2(::open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600), STDOUT_FILENO);
      ::dup2(::open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600), STDERR_FILENO);
      ::execv(KESTRIX_PROGRAM, argv.data());
      ::_exit(127);
    }
    std::thread board([&] {
      try {
        if (Board) Board();
      } catch (const std::exception& error) {
        ADD_FAILURE() << "board: " << error.what();
      }
    });
    Ended ended;
    int wait = 0;
    const auto deadline = std::chrono::steady_clock::now() + 30s;
    while (::waitpid(pid, &wait, WNOHANG) == 0) {
      if (std::chrono::steady_clock::now() > deadline) {
        ::kill(pid, SIGKILL);
        ::waitpid(pid, &wait, 0);
        ADD_FAILURE() << "kestrix --script did not end";
        break;
      }
      std::this_thread::sleep_for(10ms);
    }
    board.join();
    if (WIFEXITED(wait)) ended.status = WEXITSTATUS(wait);
    ended.out = Slurp(out);
    ended.err = Slurp(err);
    return ended;
  }
  std::string Script(const std::string& name, const std::string& text) {
    Write(folder_ / name, text);
    return folder_ / name;
  }
  // A shipped example, copied beside the test's files.
  std::string Example(const std::string& name) {
    return Script(name, Slurp(std::string(KESTRIX_EXAMPLES) + "/" + name));
  }

  serial_lines::PortLines lines_;
  TempFolder folder_;
};

// What arrives at the far end up to and with Ending; throws after the time.
std::string ReadThrough(FarEnd& Line, const std::string& Ending, std::chrono::milliseconds Timeout = 10s) {
  std::string text;
  const auto deadline = std::chrono::steady_clock::now() + Timeout;
  while (text.size() < Ending.size() || text.compare(text.size() - Ending.size(), Ending.size(), Ending) != 0) {
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0) throw std::runtime_error("no '" + Ending + "' after: " + text);
    text += Line.Receive(1, left);
  }
  return text;
}

// Waits until the program has the line open: it makes the line raw. (What
// a board sends before that, the terminal would echo back to it.)
void WaitUntilOpened(FarEnd& Line) {
  const auto deadline = std::chrono::steady_clock::now() + 10s;
  while ((Line.Settings().c_lflag & (ECHO | ICANON)) != 0) {
    if (std::chrono::steady_clock::now() > deadline) throw std::runtime_error("the line was not opened");
    std::this_thread::sleep_for(5ms);
  }
}

TEST_F(ScriptHeadless, ExitsWithTheScriptsStatusAndPrintsToItsStreams) {
  lines_.Plug(1);
  const Ended passed = Run({"--script", Script("pass.lua", "print('hello', 42)\n"), "--port1", "COM1"});
  EXPECT_EQ(passed.status, 0) << passed.err;
  EXPECT_EQ(passed.out, "hello\t42\n");

  const Ended failed = Run({"--script", Script("fail.lua", "print('checking')\n\nfail('no answer')\n")});
  EXPECT_EQ(failed.status, 1);
  EXPECT_EQ(failed.out, "checking\n");
  EXPECT_NE(failed.err.find("fail.lua:3: "), std::string::npos) << failed.err;
  EXPECT_NE(failed.err.find("no answer"), std::string::npos) << failed.err;

  EXPECT_EQ(Run({"--script", Script("exit.lua", "exit(7)\nprint('not here')\n")}).status, 7);

  const Ended broken = Run({"--script", Script("bad.lua", "print('x')\nif then\n")});
  EXPECT_EQ(broken.status, 2);
  EXPECT_EQ(broken.out, "");
  EXPECT_NE(broken.err.find("bad.lua:2:"), std::string::npos) << broken.err;

  const Ended callError = Run({"--script", Script("call.lua", "send(1, 'x')\n")});
  EXPECT_EQ(callError.status, 2);
  EXPECT_NE(callError.err.find("call.lua:1: "), std::string::npos) << callError.err;
}

TEST_F(ScriptHeadless, ABadArgumentAMissingScriptOrAPortThatWillNotOpenExitWithTwo) {
  const Ended missing = Run({"--script", folder_ / "none.lua"});
  EXPECT_EQ(missing.status, 2);
  EXPECT_NE(missing.err.find("none.lua"), std::string::npos) << missing.err;

  const std::string script = Script("ok.lua", "print('ran')\n");
  const Ended noPort = Run({"--script", script, "--port1", "COM9"});
  EXPECT_EQ(noPort.status, 2);
  EXPECT_EQ(noPort.out, "") << "the script does not run";
  EXPECT_NE(noPort.err.find("COM9"), std::string::npos) << noPort.err;

  EXPECT_EQ(Run({"--script", script, "--baud1", "fast"}).status, 2);
  EXPECT_EQ(Run({"--script"}).status, 2);
}

TEST_F(ScriptHeadless, TheLineOptionsApplyToThePortsTheScriptDrives) {
  FarEnd& line = lines_.Plug(3);
  const Ended ended = Run({"--script", Script("line.lua", "send(1, 'ping')\nprint(expect('COM3', 'pong', 5000))\n"),
                           "--port1", "COM3", "--baud1", "19200"},
                          [&] {
                            ReadThrough(line, "ping");
                            termios settings = line.Settings();
                            EXPECT_EQ(cfgetospeed(&settings), static_cast<speed_t>(B19200));
                            line.Send("pong");
                          });
  EXPECT_EQ(ended.status, 0) << ended.err;
  EXPECT_EQ(ended.out, "pong\t\n");
}

TEST_F(ScriptHeadless, TheAtModemExampleTalksToAModem) {
  FarEnd& modem = lines_.Plug(1);
  const Ended ended = Run({"--script", Example("at_modem.lua"), "--port1", "COM1"}, [&] {
    bool echo = true;
    for (int n = 0; n < 4; ++n) {
      const std::string command = ReadThrough(modem, "\r");
      if (echo) modem.Send(command);
      if (command == "ATE0\r") echo = false;
      if (command == "ATI\r")
        modem.Send("\r\nKestrix Test Modem 1.0\r\n\r\nOK\r\n");
      else if (command == "AT+CSQ\r")
        modem.Send("\r\n+CSQ: 20,0\r\n\r\nOK\r\n");
      else
        modem.Send("\r\nOK\r\n");
    }
  });
  EXPECT_EQ(ended.status, 0) << ended.err;
  EXPECT_EQ(ended.out, "modem: Kestrix Test Modem 1.0\nsignal: -73 dBm (bit error rate class 0)\n");
}

TEST_F(ScriptHeadless, TheUBootExampleStopsAutobootAndWritesTheEnvironment) {
  FarEnd& board = lines_.Plug(1);
  const std::string environment = "baudrate=115200\r\nbootcmd=run distro_bootcmd\r\nbootdelay=3\r\n";
  const Ended ended = Run({"--script", Example("uboot_env.lua"), "--port1", "COM1"}, [&] {
    // The board boots again and again until a key stops it, so that the
    // script need not be started before it.
    WaitUntilOpened(board);
    for (int boots = 0; boots < 40; ++boots) {
      board.Send("\r\nU-Boot 2023.01\r\nDRAM:  512 MiB\r\nHit any key to stop autoboot:  3 ");
      if (!board.Receive(1, 700ms).empty()) break;
    }
    board.Send("\r\n=> ");
    board.Send(ReadThrough(board, "\n").substr(0, 8) + "\r\n");  // the echo of printenv
    board.Send(environment + "\r\nEnvironment size: 60/8188 bytes\r\n=> ");
  });
  EXPECT_EQ(ended.status, 0) << ended.err << ended.out;
  EXPECT_NE(ended.out.find("bootdelay=3"), std::string::npos) << ended.out;
  EXPECT_NE(Slurp(folder_ / "uboot_env.txt").find(environment), std::string::npos);
}

TEST_F(ScriptHeadless, TheLoopbackExampleTimesEachLineAndFailsOnAGarbledOne) {
  FarEnd& one = lines_.Plug(1);
  FarEnd& two = lines_.Plug(2);
  // The cable: what port 1 sends reaches port 2; Garble spoils one byte.
  const auto cable = [&](bool Garble) {
    return [&one, &two, Garble] {
      size_t carried = 0;
      std::string bytes;
      // The first byte waits for the program to start, however slowly.
      while (!(bytes = one.Receive(1, carried == 0 ? 20000ms : 1500ms)).empty()) {
        if (++carried == 20 * 17 + 5 && Garble) bytes = "#";  // in line 21 (17 bytes each)
        two.Send(bytes);
      }
    };
  };
  const std::string script = Example("loopback_timing.lua");
  const Ended passed = Run({"--script", script, "--port1", "COM1", "--port2", "COM2"}, cable(false));
  EXPECT_EQ(passed.status, 0) << passed.err;
  EXPECT_EQ(passed.out.rfind("50 lines: fastest ", 0), 0u) << passed.out;

  const Ended garbled = Run({"--script", script, "--port1", "COM1", "--port2", "COM2"}, cable(true));
  EXPECT_EQ(garbled.status, 1);
  EXPECT_NE(garbled.err.find("line 21 did not arrive whole"), std::string::npos) << garbled.err;
}

// A Modbus RTU slave answering reads of holding registers 0 and 1 with 42
// and 500; Spoil damages the CRC of its answers.
void ModbusSlave(FarEnd& Line, int Polls, bool Spoil) {
  for (int n = 0; n < Polls; ++n) {
    // The first waits for the program to start, however slowly.
    const std::string request = Line.Receive(8, n == 0 ? 20s : 5s);
    if (request != WithChecksum(Checksum::Modbus, std::string("\x01\x03\x00\x00\x00\x02", 6)))
      throw std::runtime_error("unexpected request");
    std::string answer = WithChecksum(Checksum::Modbus, std::string("\x01\x03\x04\x00\x2A\x01\xF4", 7));
    if (Spoil) answer.back() ^= 0x01;
    Line.Send(answer);
  }
}

TEST_F(ScriptHeadless, TheModbusExamplePollsASlaveAndChecksEachCrc) {
  FarEnd& slave = lines_.Plug(1);
  const std::string script = Example("modbus_poll.lua");
  const Ended passed = Run({"--script", script, "--port1", "COM1"}, [&] { ModbusSlave(slave, 5, false); });
  EXPECT_EQ(passed.status, 0) << passed.err;
  EXPECT_NE(passed.out.find("poll 5: registers 0..1 = 42, 500\n"), std::string::npos) << passed.out;

  const Ended spoiled = Run({"--script", script, "--port1", "COM1"}, [&] { ModbusSlave(slave, 1, true); });
  EXPECT_EQ(spoiled.status, 1);
  EXPECT_NE(spoiled.err.find("poll 1: bad CRC in 01 03 04 00 2A 01 F4"), std::string::npos) << spoiled.err;
}

}  // namespace
