// Figures for scripts, each run as a test rig runs them (kestrix --script,
// its ports on pseudo-terminals this program plays the far ends of):
//   - expect: a byte written at the far end to the script's answer to it
//     arriving back (expect, then send_bytes): the round trip, an upper
//     bound of the expect's own time (median, 99th percentile);
//   - 10,000 commands of 11 bytes sent on port 1 and each expected on port
//     2 (this program carries them across): the time beside what the bytes
//     need at 115200 baud, and every byte checked by the script;
//   - start and end of kestrix --script for a script that prints a line:
//     the mean of many runs.
// Not a test: run it by hand. --quick makes every run shorter.
//
//   script_bench PROGRAM [--quick]     PROGRAM: the kestrix binary
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "port_lines.h"

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

std::string g_program;
std::string g_folder;

struct Ended {
  int status = -1;
  std::string out;
  std::string err;
};

std::string Slurp(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  std::stringstream text;
  text << file.rdbuf();
  return text.str();
}

// Runs kestrix --script with the script and arguments while Work plays the
// far ends.
Ended RunScript(const std::string& script, std::vector<std::string> arguments, const std::function<void()>& Work = {}) {
  const std::string name = g_folder + "/bench.lua", out = g_folder + "/out", err = g_folder + "/err";
  std::ofstream(name) << script;
  arguments.insert(arguments.begin(), {g_program, "--script", name});
  std::vector<char*> argv;
  for (std::string& argument : arguments) argv.push_back(argument.data());
  argv.push_back(nullptr);
  const pid_t pid = ::fork();
  if (pid == 0) {
    ::dup2(::open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600), STDOUT_FILENO);
    ::dup2(::open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600), STDERR_FILENO);
    ::execv(argv[0], argv.data());
    ::_exit(127);
  }
  if (Work) Work();
  int wait = 0;
  ::waitpid(pid, &wait, 0);
  Ended ended;
  if (WIFEXITED(wait)) ended.status = WEXITSTATUS(wait);
  ended.out = Slurp(out);
  ended.err = Slurp(err);
  return ended;
}

void WaitUntilOpened(serial_lines::FarEnd& line) {
  const auto deadline = Clock::now() + 10s;
  while ((line.Settings().c_lflag & (ECHO | ICANON)) != 0) {
    if (Clock::now() > deadline) throw std::runtime_error("kestrix did not open the line");
    std::this_thread::sleep_for(2ms);
  }
}

double Ms(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

double Percentile(std::vector<double> values, double p) {
  if (values.empty()) return 0;
  std::sort(values.begin(), values.end());
  return values[std::min(values.size() - 1, static_cast<size_t>(p * static_cast<double>(values.size())))];
}

bool ExpectLatency(int rounds) {
  serial_lines::PortLines lines;
  serial_lines::FarEnd& line = lines.Plug(1);
  std::vector<double> trips;
  const std::string script = "send_bytes(1, 'R')\nfor n = 1, " + std::to_string(rounds) +
                             " do\n"
                             "  if not expect(1, '?', 10000) then fail('no question') end\n"
                             "  send_bytes(1, '!')\n"
                             "end\n";
  const Ended ended = RunScript(script, {"--port1", "COM1"}, [&] {
    WaitUntilOpened(line);
    if (line.Receive(1, 10s) != "R") return;  // the script runs, its tap in place
    for (int n = 0; n < rounds; ++n) {
      const auto sent = Clock::now();
      line.Send("?");
      if (line.Receive(1, 5s) != "!") break;
      trips.push_back(Ms(Clock::now() - sent));
      std::this_thread::sleep_for(5ms);
    }
  });
  const double median = Percentile(trips, 0.5);
  std::printf("expect: %zu answers, byte to answer median %.2f ms, 99th percentile %.2f ms (aim: 2 ms)%s\n",
              trips.size(), median, Percentile(trips, 0.99), ended.status == 0 ? "" : "  SCRIPT FAILED");
  if (ended.status != 0) std::printf("%s", ended.err.c_str());
  return ended.status == 0 && median <= 2.0;
}

bool Commands(int count) {
  serial_lines::PortLines lines;
  serial_lines::FarEnd& one = lines.Plug(1);
  serial_lines::FarEnd& two = lines.Plug(2);
  const std::string script = "local count = " + std::to_string(count) +
                             "\n"
                             "local start = clock()\n"
                             "for n = 1, count do\n"
                             "  local line = string.format('cmd %05d\\r\\n', n)\n"
                             "  send(1, line)\n"
                             "  local found, before = expect(2, line, 5000)\n"
                             "  if not found or before ~= '' then fail('line ' .. n .. ' lost or garbled') end\n"
                             "end\n"
                             "print(string.format('%.1f', clock() - start))\n";
  size_t carried = 0;
  const Ended ended =
      RunScript(script, {"--port1", "COM1", "--port2", "COM2", "--baud1", "115200", "--baud2", "115200"}, [&] {
        std::string bytes;
        while (!(bytes = one.Receive(1, 3s)).empty()) {
          bytes += one.Receive(4096, 0ms);
          carried += bytes.size();
          two.Send(bytes);
        }
      });
  const double took = std::atof(ended.out.c_str());
  const double needed = static_cast<double>(count) * 11 * 10 / 115200 * 1000;
  std::printf(
      "commands: %d of 11 bytes, each expected on the other port: %.0f ms; the bytes need %.0f ms at "
      "115200 baud: %.0f%% (aim: within 110%%); %zu bytes carried%s\n",
      count, took, needed, 100 * took / needed, carried, ended.status == 0 ? "" : "  SCRIPT FAILED");
  if (ended.status != 0) std::printf("%s", ended.err.c_str());
  return ended.status == 0 && took <= 1.1 * needed;
}

bool Starts(int runs) {
  const auto start = Clock::now();
  int failed = 0;
  for (int n = 0; n < runs; ++n)
    if (RunScript("print('ok')\n", {}).out != "ok\n") ++failed;
  const double mean = Ms(Clock::now() - start) / runs;
  std::printf("headless runs: %d of a one-line script, mean start to end %.0f ms (aim: 300 ms)%s\n", runs, mean,
              failed == 0 ? "" : "  SOME FAILED");
  return failed == 0 && mean <= 300;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: script_bench PROGRAM [--quick]\n");
    return 2;
  }
  g_program = argv[1];
  const bool quick = argc > 2 && std::strcmp(argv[2], "--quick") == 0;
  char folder[] = "/tmp/kestrix-script-bench-XXXXXX";
  if (::mkdtemp(folder) == nullptr) return 2;
  g_folder = folder;
  bool met = true;
  try {
    met = ExpectLatency(quick ? 50 : 500) && met;
    met = Commands(quick ? 1000 : 10000) && met;
    met = Starts(quick ? 20 : 1000) && met;
  } catch (const std::exception& error) {
    std::fprintf(stderr, "script_bench: %s\n", error.what());
    met = false;
  }
  std::filesystem::remove_all(g_folder);
  return met ? 0 : 1;
}
