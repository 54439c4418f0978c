// Paced sends at the far end: how far each character's arrival lies from
// its pause, for a few pauses, on a pseudo-terminal at 115200 baud.
#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "PortWriter.h"
#include "cxComm.h"
#include "far_end.h"
#include "ports_folder.h"

namespace {

using Clock = std::chrono::steady_clock;

// The arrival time of each of `count` bytes, read as soon as they come.
std::vector<Clock::time_point> Arrivals(int master, size_t count) {
  std::vector<Clock::time_point> times;
  const Clock::time_point deadline = Clock::now() + std::chrono::seconds(60);
  while (times.size() < count && Clock::now() < deadline) {
    pollfd wait = {master, POLLIN, 0};
    if (::poll(&wait, 1, 100) <= 0) continue;
    char bytes[256];
    const ssize_t got = ::read(master, bytes, sizeof bytes);
    for (ssize_t i = 0; i < got; ++i) times.push_back(Clock::now());
  }
  return times;
}

void Measure(const serial_lines::PortsFolder& folder, DWORD port, DWORD gapMs) {
  serial_lines::FarEnd line(folder, port);
  cxComm comm;
  if (!comm.Open(port, "115200,N,8,1")) std::abort();
  PortWriter sender;
  const size_t count = gapMs >= 20 ? 50 : 200;
  sender.Queue(comm._hComm, std::string(count, 'x'), SendPacing{gapMs, 0}, true);
  const std::vector<Clock::time_point> times = Arrivals(line.Master(), count);
  comm.Close();
  if (times.size() != count) {
    std::printf("gap %4u ms: only %zu of %zu bytes arrived\n", static_cast<unsigned>(gapMs), times.size(), count);
    return;
  }
  std::vector<double> deviation;  // interval minus the pause, in ms
  for (size_t i = 1; i < times.size(); ++i)
    deviation.push_back(std::chrono::duration<double, std::milli>(times[i] - times[i - 1]).count() - gapMs);
  std::vector<double> sorted = deviation;
  std::sort(sorted.begin(), sorted.end());
  double sum = 0;
  for (double d : deviation) sum += d;
  const double total = std::chrono::duration<double, std::milli>(times.back() - times.front()).count();
  std::printf(
      "gap %4u ms, %3zu chars: interval - gap mean %+.3f ms, median %+.3f, p95 %+.3f, min %+.3f, max %+.3f; "
      "whole send %.1f ms for %.1f ms of pauses (%+.3f ms a char)\n",
      static_cast<unsigned>(gapMs), count, sum / deviation.size(), sorted[sorted.size() / 2],
      sorted[sorted.size() * 95 / 100], sorted.front(), sorted.back(), total, double(gapMs) * (count - 1),
      (total - double(gapMs) * (count - 1)) / (count - 1));
}

}  // namespace

int main() {
  const serial_lines::PortsFolder folder;
  DWORD port = 1;
  for (DWORD gap : {1u, 2u, 5u, 20u, 100u}) Measure(folder, port++, gap);
  return 0;
}
