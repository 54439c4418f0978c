// Figures for the serial channel on a pseudo-terminal:
//   - latency from a byte's arrival at the far end of the line to the
//     port's receive notification (median and 99th percentile);
//   - throughput of the read path: the port object's Read alone, and the
//     whole channel (watch thread gathering, deliveries posting blocks).
// The far end is the master of a pseudo-terminal linked as a COM port in a
// temporary ports folder; the machine's own serial devices are not touched.
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <unistd.h>

#include <kestrix/platform_testing.h>
#include <kestrix/window_messaging.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "ReadData.h"
#include "cxComm.h"

namespace {

using Clock = std::chrono::steady_clock;

const int kLatencySamples = 2000;
const size_t kThroughputBytes = 8u << 20;

// COM ports backed by pseudo-terminals in a temporary ports folder.
class FarEnds {
 public:
  FarEnds() {
    char pattern[] = "/tmp/kestrix-comm-bench-XXXXXX";
    if (mkdtemp(pattern) == nullptr) std::abort();
    folder_ = pattern;
    std::filesystem::create_directories(folder_ + "/kestrix/ports");
    std::filesystem::create_directories(folder_ + "/locks");
    setenv("XDG_CONFIG_HOME", folder_.c_str(), 1);
    // The machine's /run/lock is left alone.
    SetUucpLockFolderForTesting((folder_ + "/locks").c_str());
    ExcludeSystemSerialDevicesForTesting(true);
  }
  ~FarEnds() {
    for (int fd : fds_) close(fd);
    std::filesystem::remove_all(folder_);
  }

  // Links a new pseudo-terminal as COM<port>; returns its master.
  int Add(DWORD port) {
    int master = -1;
    int slave = -1;
    char name[256] = {};
    if (openpty(&master, &slave, name, nullptr, nullptr) != 0) std::abort();
    const std::string link = folder_ + "/kestrix/ports/COM" + std::to_string(port);
    if (symlink(name, link.c_str()) != 0) std::abort();
    fds_.push_back(master);
    fds_.push_back(slave);
    return master;
  }

 private:
  std::string folder_;
  std::vector<int> fds_;
};

void WriteAll(int fd, const char* bytes, size_t count) {
  while (count > 0) {
    const ssize_t written = write(fd, bytes, count);
    if (written > 0) {
      bytes += written;
      count -= static_cast<size_t>(written);
    } else {
      pollfd writable = {fd, POLLOUT, 0};
      poll(&writable, 1, 100);
    }
  }
}

double Milliseconds(Clock::duration duration) { return std::chrono::duration<double, std::milli>(duration).count(); }

// Records when its receive notification saw new bytes.
class TimedPort : public cxComm {
 public:
  ~TimedPort() override { Close(); }
  void OnReceive() override {
    const Clock::time_point now = Clock::now();
    char bytes[256];
    const DWORD count = Read(bytes, sizeof bytes);
    if (count == 0) return;
    lastArrival = now.time_since_epoch().count();
    received.fetch_add(count);
    received.notify_all();
  }

  std::atomic<Clock::rep> lastArrival{0};
  std::atomic<DWORD> received{0};
};

void MeasureLatency(FarEnds& farEnds) {
  const int master = farEnds.Add(1);
  TimedPort port;
  if (!port.Open(1, "115200,N,8,1")) std::abort();
  std::this_thread::sleep_for(std::chrono::milliseconds(50));

  std::vector<double> samples;
  for (int sample = 0; sample < kLatencySamples; ++sample) {
    const DWORD before = port.received;
    const char byte = static_cast<char>('0' + sample % 10);
    const Clock::time_point sent = Clock::now();
    WriteAll(master, &byte, 1);
    port.received.wait(before);
    samples.push_back(Milliseconds(Clock::duration(port.lastArrival.load()) - sent.time_since_epoch()));
    std::this_thread::sleep_for(std::chrono::microseconds(500));  // one byte at a time, apart
  }
  std::sort(samples.begin(), samples.end());
  std::printf("arrival to OnReceive, %d single bytes: median %.3f ms, 99th percentile %.3f ms, max %.3f ms\n",
              kLatencySamples, samples[samples.size() / 2], samples[samples.size() * 99 / 100], samples.back());
}

void MeasureReadThroughput(FarEnds& farEnds) {
  const int master = farEnds.Add(2);
  cxComm port;
  port._bStartWatcher = false;  // Read alone, called here as fast as it gives
  if (!port.Open(2, "115200,N,8,1")) std::abort();

  const std::string chunk(4096, 'R');
  const Clock::time_point start = Clock::now();
  std::thread farEnd([&] {
    for (size_t sent = 0; sent < kThroughputBytes; sent += chunk.size()) WriteAll(master, chunk.data(), chunk.size());
  });
  std::vector<char> buffer(kReceiveBufferSize);
  size_t received = 0;
  while (received < kThroughputBytes) {
    const DWORD count = port.Read(buffer.data(), static_cast<DWORD>(buffer.size()));
    if (count == 0) std::this_thread::yield();
    received += count;
  }
  const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
  farEnd.join();
  std::printf("Read alone: %.1f MB in %.3f s = %.1f MB/s\n", received / 1e6, seconds, received / 1e6 / seconds);
}

std::atomic<size_t> g_deliveredBytes{0};
const HWND kBenchWindow = reinterpret_cast<HWND>(static_cast<uintptr_t>(0xbe00));

BOOL CountBlock(HWND, UINT message, WPARAM, LPARAM lParam) {
  if (message != kReceivedDataMessage) return FALSE;
  ReceivedBlock* block = reinterpret_cast<ReceivedBlock*>(lParam);
  g_deliveredBytes += block->dwCount;
  delete block;
  return TRUE;
}
LRESULT SendNothing(HWND, UINT, WPARAM, LPARAM) { return 0; }
BOOL IsBenchWindow(HWND hWnd) { return hWnd == kBenchWindow; }
int NoMessageBox(HWND, LPCSTR, LPCSTR, UINT) { return IDOK; }

void MeasureChannelThroughput(FarEnds& farEnds) {
  static const WindowMessagingBackend backend = {CountBlock, SendNothing, IsBenchWindow, NoMessageBox};
  InstallWindowMessaging(&backend);
  const int master = farEnds.Add(3);
  ReadData channel;
  channel._hTargetWnd = kBenchWindow;
  if (!channel.Open(3, "115200,N,8,1")) std::abort();

  const std::string chunk(4096, 'C');
  const Clock::time_point start = Clock::now();
  std::thread farEnd([&] {
    for (size_t sent = 0; sent < kThroughputBytes; sent += chunk.size()) WriteAll(master, chunk.data(), chunk.size());
  });
  // Deliveries back to back, as a worker would run them with no timer
  // between: the watch thread's gathering is what is measured.
  size_t deliveries = 0;
  while (g_deliveredBytes < kThroughputBytes) {
    channel.DoWork(nullptr);
    ++deliveries;
    std::this_thread::yield();
  }
  const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
  farEnd.join();
  channel.Close();
  InstallWindowMessaging(nullptr);
  const double megabytes = g_deliveredBytes / 1e6;
  std::printf(
      "watch thread and deliveries: %.1f MB in %.3f s = %.1f MB/s (%zu delivery calls, most finding nothing new)\n",
      megabytes, seconds, megabytes / seconds, deliveries);
  std::printf("  at one delivery per 100 ms tick a port delivers at most %.1f kB/s by design\n",
              kReceiveBufferSize / 0.1 / 1e3);
}

}  // namespace

int main() {
  FarEnds farEnds;
  MeasureLatency(farEnds);
  MeasureReadThroughput(farEnds);
  MeasureChannelThroughput(farEnds);
  return 0;
}
