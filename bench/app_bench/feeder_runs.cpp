#include "feeder_runs.h"

#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <sstream>
#include <thread>

#include "measures.h"

namespace {

// The feeder sits beside this program.
std::string FeederPath() {
  char self[4096] = {};
  const ssize_t length = ::readlink("/proc/self/exe", self, sizeof self - 1);
  std::string path(self, length > 0 ? static_cast<size_t>(length) : 0);
  return path.substr(0, path.rfind('/') + 1) + "app_bench_feeder";
}

// Starts the feeder on both lines' masters and returns its output once it
// ended; empty with `error` set when it could not run.
std::string Feed(const Lines& lines, double rate, double seconds, std::chrono::milliseconds step, std::string& error) {
  const std::string program = FeederPath();
  if (::access(program.c_str(), X_OK) != 0) {
    error = program + " is missing (build the target app_bench_feeder)";
    return {};
  }
  std::vector<std::string> arguments = {program, std::to_string(rate), std::to_string(seconds),
                                        std::to_string(step.count())};
  for (serial_lines::PatternFarEnd* end : lines.ends)
    arguments.push_back(std::to_string(end->Master()) + ":" + std::to_string(end->Written()));
  std::vector<char*> argv;
  for (std::string& argument : arguments) argv.push_back(argument.data());
  argv.push_back(nullptr);
  int out[2];
  if (::pipe(out) != 0) {
    error = "no pipe for the feeder";
    return {};
  }
  const pid_t child = ::fork();
  if (child == 0) {
    // Only what is safe between fork and exec in a process with threads.
    ::dup2(out[1], 1);
    ::execv(argv[0], argv.data());
    ::_exit(127);
  }
  ::close(out[1]);
  std::string output;
  char buffer[256];
  for (ssize_t count; (count = ::read(out[0], buffer, sizeof buffer)) > 0;)
    output.append(buffer, static_cast<size_t>(count));
  ::close(out[0]);
  int status = 0;
  ::waitpid(child, &status, 0);
  if (child < 0 || !WIFEXITED(status) || WEXITSTATUS(status) != 0) error = "the feeder failed: " + output;
  return output;
}

bool AllShown(const Lines& lines) {
  for (int i = 0; i < 2; ++i)
    if (lines.form->Watch[i].shown < lines.ends[i]->Written()) return false;
  return true;
}

}  // namespace

std::vector<FeederRun> RunFeederProcess(const Lines& lines, double rate, double seconds, std::chrono::milliseconds step,
                                        int runs) {
  std::vector<FeederRun> results;
  for (int run = 0; run < runs; ++run) {
    std::fprintf(stderr, "feeder process, run %d of %d: %.0f bytes/s per line, a write every %lld ms, %.0f s...\n",
                 run + 1, runs, rate, static_cast<long long>(step.count()), seconds);
    FeederRun result;
    uint64_t wrongBefore = 0;
    for (int i = 0; i < 2; ++i) {
      lines.form->Watch[i].StartReadGaps();
      wrongBefore += lines.form->Watch[i].wrongBytes;
    }
    std::istringstream output(Feed(lines, rate, seconds, step, result.error));
    if (!result.error.empty()) {
      results.push_back(result);
      break;
    }
    std::string word;
    for (serial_lines::PatternFarEnd* end : lines.ends) {
      uint64_t taken = 0, refused = 0;
      output >> word >> taken >> refused;
      end->WrittenElsewhere(taken);
      result.taken += taken;
      result.refused += refused;
    }
    long long lateUs = 0;
    output >> word >> lateUs;
    result.feederLateMs = lateUs / 1000.0;
    // Every byte taken reaches the window and is shown, in order.
    const Clock::time_point deadline = Clock::now() + std::chrono::seconds(10);
    while (!AllShown(lines) && Clock::now() < deadline) std::this_thread::sleep_for(std::chrono::milliseconds(5));
    uint64_t wrong = 0;
    for (int i = 0; i < 2; ++i) {
      result.longestReadGapMs[i] = lines.form->Watch[i].longestReadGap / 10000.0;
      wrong += lines.form->Watch[i].wrongBytes;
    }
    result.wrong = wrong - wrongBefore;
    for (int i = 0; i < 2; ++i)
      if (lines.form->Watch[i].shown < lines.ends[i]->Written())
        result.unshown += lines.ends[i]->Written() - lines.form->Watch[i].shown;
    result.shownAll = result.unshown == 0 && result.wrong == 0;
    result.load = LoadAverage();
    results.push_back(result);
  }
  return results;
}
