// Figures for the serial channel on a pseudo-terminal:
//   - latency from a byte's arrival at the far end of the line to the
//     port's receive notification (median and 99th percentile);
//   - throughput of the read path: the port object's Read alone, and the
//     whole channel (watch thread gathering, deliveries posting blocks).
// The far end is the master of a pseudo-terminal linked as a COM port in a
// temporary ports folder; the machine's own serial devices are not touched.
#include <kestrix/window_messaging.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "ReadData.h"
#include "cxComm.h"
#include "far_end.h"
#include "ports_folder.h"

namespace {

using Clock = std::chrono::steady_clock;

const int kLatencySamples = 2000;
const size_t kThroughputBytes = 8u << 20;

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

void MeasureLatency(const serial_lines::PortsFolder& folder) {
  serial_lines::FarEnd line(folder, 1);
  TimedPort port;
  if (!port.Open(1, "115200,N,8,1")) std::abort();
  std::this_thread::sleep_for(std::chrono::milliseconds(50));

  std::vector<double> samples;
  for (int sample = 0; sample < kLatencySamples; ++sample) {
    const DWORD before = port.received;
    const std::string byte(1, static_cast<char>('0' + sample % 10));
    const Clock::time_point sent = Clock::now();
    line.Send(byte);
    port.received.wait(before);
    samples.push_back(Milliseconds(Clock::duration(port.lastArrival.load()) - sent.time_since_epoch()));
    std::this_thread::sleep_for(std::chrono::microseconds(500));  // one byte at a time, apart
  }
  std::sort(samples.begin(), samples.end());
  std::printf("arrival to OnReceive, %d single bytes: median %.3f ms, 99th percentile %.3f ms, max %.3f ms\n",
              kLatencySamples, samples[samples.size() / 2], samples[samples.size() * 99 / 100], samples.back());
}

void MeasureReadThroughput(const serial_lines::PortsFolder& folder) {
  serial_lines::FarEnd line(folder, 2);
  cxComm port;
  port._bStartWatcher = false;  // Read alone, called here as fast as it gives
  if (!port.Open(2, "115200,N,8,1")) std::abort();

  const std::string chunk(4096, 'R');
  const Clock::time_point start = Clock::now();
  std::thread farEnd([&] {
    for (size_t sent = 0; sent < kThroughputBytes; sent += chunk.size()) line.Send(chunk);
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

size_t g_deliveredBytes = 0;

// The window's procedure, run on this thread as it takes the blocks.
LRESULT CountBlock(HWND, UINT message, WPARAM, LPARAM lParam) {
  if (message != kReceivedDataMessage) return 0;
  ReceivedBlock* block = reinterpret_cast<ReceivedBlock*>(lParam);
  g_deliveredBytes += block->dwCount;
  delete block;
  return 0;
}

void MeasureChannelThroughput(const serial_lines::PortsFolder& folder) {
  // No wake-up needed: the loop below takes the blocks after each delivery.
  const HWND window = CreateWindowHandle(CountBlock, [](HWND) {});
  serial_lines::FarEnd line(folder, 3);
  ReadData channel;
  channel._hTargetWnd = window;
  if (!channel.Open(3, "115200,N,8,1")) std::abort();

  const std::string chunk(4096, 'C');
  const Clock::time_point start = Clock::now();
  std::thread farEnd([&] {
    for (size_t sent = 0; sent < kThroughputBytes; sent += chunk.size()) line.Send(chunk);
  });
  // Deliveries back to back, as a worker would run them with no timer
  // between: the watch thread's gathering is what is measured.
  size_t deliveries = 0;
  while (g_deliveredBytes < kThroughputBytes) {
    channel.DoWork(nullptr);
    while (DispatchPostedMessage(window)) {
    }
    ++deliveries;
    std::this_thread::yield();
  }
  const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
  farEnd.join();
  channel.Close();
  DestroyWindowHandle(window);
  const double megabytes = g_deliveredBytes / 1e6;
  std::printf(
      "watch thread and deliveries: %.1f MB in %.3f s = %.1f MB/s (%zu delivery calls, most finding nothing new)\n",
      megabytes, seconds, megabytes / seconds, deliveries);
}

}  // namespace

int main() {
  const serial_lines::PortsFolder folder;
  MeasureLatency(folder);
  MeasureReadThroughput(folder);
  MeasureChannelThroughput(folder);
  return 0;
}
