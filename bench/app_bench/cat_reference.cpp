#include "cat_reference.h"

#include <fcntl.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include "esp_log_feed.h"
#include "process_cpu.h"
#include "runs.h"

namespace {

const char kCatPath[] = "/bin/cat";

}  // namespace

// One line: its far end and cat reading the line's terminal side into a
// file.
class CatLine {
 public:
  explicit CatLine(const std::string& file) : file_(file) {
    termios raw = end_.Settings();
    cfmakeraw(&raw);
    tcsetattr(end_.Terminal(), TCSANOW, &raw);
    const int out = open(file.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    if (out < 0) return;
    pid_ = fork();
    if (pid_ == 0) {
      dup2(end_.Terminal(), 0);
      dup2(out, 1);
      execl(kCatPath, "cat", static_cast<char*>(nullptr));
      _exit(127);
    }
    close(out);
  }

  ~CatLine() {
    if (pid_ > 0) {
      kill(pid_, SIGTERM);
      waitpid(pid_, nullptr, 0);
    }
  }

  bool Started() const { return pid_ > 0 && waitpid(pid_, nullptr, WNOHANG) == 0; }
  EspLogFarEnd& End() { return end_; }
  pid_t Pid() const { return pid_; }
  uint64_t FileSize() const {
    struct stat status {};
    return stat(file_.c_str(), &status) == 0 ? static_cast<uint64_t>(status.st_size) : 0;
  }
  // Bytes of the file that differ from the log sent.
  uint64_t WrongBytes() const {
    std::ifstream file(file_, std::ios::binary);
    std::string expected;
    uint64_t wrong = 0;
    char byte = 0;
    for (uint64_t line = 0; file; ++line) {
      expected = EspLogLineAt(line).bytes;
      for (const char sent : expected) {
        if (!file.get(byte)) return wrong;
        if (byte != sent) ++wrong;
      }
    }
    return wrong;
  }

 private:
  EspLogFarEnd end_;
  std::string file_;
  pid_t pid_ = -1;
};

CatReference::CatReference() {
  if (access(kCatPath, X_OK) != 0) {
    missing_ = std::string(kCatPath) + " is missing";
    return;
  }
  char folder[] = "/tmp/kestrix-cat-XXXXXX";
  if (mkdtemp(folder) == nullptr) {
    missing_ = "no folder for cat's files";
    return;
  }
  folder_ = folder;
  for (int i = 0; i < 2; ++i) lines_[i] = std::make_unique<CatLine>(folder_ + "/line" + std::to_string(i + 1));
  std::this_thread::sleep_for(std::chrono::milliseconds(200));
  for (const auto& line : lines_)
    if (!line->Started()) missing_ = "cat did not start";
}

CatReference::~CatReference() {
  for (auto& line : lines_) line.reset();
  std::error_code ignored;
  if (!folder_.empty()) std::filesystem::remove_all(folder_, ignored);
}

CatResult CatReference::Run(double rate, double seconds, std::chrono::milliseconds step) {
  CatResult result;
  if (!missing_.empty()) {
    result.note = missing_;
    return result;
  }
  result.ran = true;
  double cpuBefore = 0;
  for (const auto& line : lines_) cpuBefore += ProcessCpuSecondsOf(line->Pid());
  const std::array<LineWriter, 2> writers = {[this](size_t count) { return lines_[0]->End().Write(count); },
                                             [this](size_t count) { return lines_[1]->End().Write(count); }};
  const Clock::time_point start = Clock::now();
  const std::array<uint64_t, 2> lost = FeedLines(writers, rate, seconds, step);
  double cpu = -cpuBefore;
  for (const auto& line : lines_) cpu += ProcessCpuSecondsOf(line->Pid());
  result.cpuPercent = 100 * cpu / std::chrono::duration<double>(Clock::now() - start).count();

  // What cat still has on its way to the file.
  const Clock::time_point deadline = Clock::now() + std::chrono::seconds(10);
  for (const auto& line : lines_)
    while (line->FileSize() < line->End().Written() && Clock::now() < deadline)
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
  for (int i = 0; i < 2; ++i) {
    result.taken += lines_[i]->End().Written();
    result.lost += lost[i];
    result.inFiles += lines_[i]->FileSize();
    result.wrong += lines_[i]->WrongBytes();
  }
  return result;
}
