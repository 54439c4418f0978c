#include "measures.h"

#include <malloc.h>
#include <sys/resource.h>
#include <sys/utsname.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <vector>

namespace {

double Seconds(const timeval& value) { return static_cast<double>(value.tv_sec) + value.tv_usec / 1e6; }
double Seconds(const timespec& value) { return static_cast<double>(value.tv_sec) + value.tv_nsec / 1e9; }

// The value after "Key:" on the first line of `path` that starts with Key.
std::string FieldOf(const char* path, const std::string& key) {
  std::ifstream file(path);
  std::string line;
  while (std::getline(file, line)) {
    if (line.rfind(key, 0) != 0) continue;
    const size_t colon = line.find(':');
    if (colon == std::string::npos) continue;
    const size_t start = line.find_first_not_of(" \t", colon + 1);
    return start == std::string::npos ? std::string() : line.substr(start);
  }
  return {};
}

// The fields of a /proc stat file by the numbers proc(5) gives them, from 3
// on (elements 0 to 2 stand for the process number and its name, which may
// hold blanks, and are left empty).
std::vector<std::string> StatFields(const std::string& path) {
  std::ifstream file(path);
  const std::string stat((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  const size_t nameEnd = stat.rfind(')');
  if (nameEnd == std::string::npos) return {};
  std::vector<std::string> fields(3);
  std::istringstream rest(stat.substr(nameEnd + 1));
  for (std::string field; rest >> field;) fields.push_back(field);
  return fields;
}

}  // namespace

double ProcessCpuSeconds() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return Seconds(usage.ru_utime) + Seconds(usage.ru_stime);
}

double ThreadCpuSeconds() {
  timespec now{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
  return Seconds(now);
}

double WindowThreadCpuSeconds() {
  const std::vector<std::string> fields = StatFields("/proc/self/task/" + std::to_string(getpid()) + "/stat");
  if (fields.size() <= 15) return 0;
  const double ticks = std::stod(fields[14]) + std::stod(fields[15]);  // user, system
  return ticks / static_cast<double>(sysconf(_SC_CLK_TCK));
}

long PeakResidentKiB() {
  const std::string value = FieldOf("/proc/self/status", "VmHWM");
  return value.empty() ? -1 : std::stol(value);
}

long ResidentKiB() {
  const std::string value = FieldOf("/proc/self/status", "VmRSS");
  return value.empty() ? -1 : std::stol(value);
}

long HeapInUseKiB() { return static_cast<long>(mallinfo2().uordblks / 1024); }

namespace {

int EntriesIn(const char* folder) {
  std::error_code error;
  int count = 0;
  for (std::filesystem::directory_iterator entry(folder, error), end; !error && entry != end; entry.increment(error))
    ++count;
  return count;
}

}  // namespace

// The listing's own descriptor is open while it counts: not one of ours.
int OpenDescriptors() { return EntriesIn("/proc/self/fd") - 1; }
int ThreadCount() { return EntriesIn("/proc/self/task"); }

double SecondsSinceProcessStart() {
  const std::vector<std::string> fields = StatFields("/proc/self/stat");
  if (fields.size() <= 22) return 0;
  timespec now{};
  clock_gettime(CLOCK_BOOTTIME, &now);
  return Seconds(now) - std::stod(fields[22]) / static_cast<double>(sysconf(_SC_CLK_TCK));
}

std::string MachineDescription() {
  utsname system{};
  uname(&system);
  std::ostringstream text;
  text << sysconf(_SC_NPROCESSORS_ONLN) << " CPUs (nproc), " << FieldOf("/proc/cpuinfo", "model name") << ", "
       << system.sysname << " " << system.release << " " << system.machine;
  return text.str();
}

std::string LoadAverage() {
  std::ifstream file("/proc/loadavg");
  std::string one, five, fifteen;
  file >> one >> five >> fifteen;
  return one + " " + five + " " + fifteen;
}

Spread SpreadOf(std::vector<double> samples) {
  Spread spread;
  spread.count = samples.size();
  if (samples.empty()) return spread;
  std::sort(samples.begin(), samples.end());
  for (double sample : samples) spread.mean += sample / static_cast<double>(samples.size());
  spread.median = samples[(samples.size() - 1) / 2];
  const auto rank = static_cast<size_t>(std::ceil(0.99 * static_cast<double>(samples.size())));
  spread.p99 = samples[std::max<size_t>(rank, 1) - 1];
  spread.max = samples.back();
  return spread;
}
