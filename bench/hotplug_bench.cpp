// Figures for ports that come and go, on pseudo-terminals linked as COM
// ports in a temporary ports folder (the machine's own ports are not
// touched, nor its lock folder), with the program's own window on Qt's offscreen platform:
//   - plug-in to list: a link made in the ports folder until its port is an
//     item of the port list;
//   - device return to panel open: a port lost by its open panel comes back
//     (a new pseudo-terminal under the same COM number) until the panel has
//     it open again;
//   - CPU while lost: the whole window while a panel waits for its port,
//     beside the same window with no port open; and the watcher of a lost
//     port on its own, if nobody closed it, by its thread's CPU clock;
//   - CPU after an unplug: 50 rounds in which the program holding the far
//     end is ended by SIGTERM (its line hangs up, its link goes), the whole
//     process's CPU in the second after each, quiet and streaming lines.
#include <signal.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <kestrix/serial_open_report.h>
#include <toolkit/testing.h>
#include <toolkit/toolkit.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "Unit1.h"
#include "port_lines.h"
#include "process_far_end.h"

namespace {

using Clock = std::chrono::steady_clock;

const int kRounds = 20;
const int kCpuSeconds = 5;

double Milliseconds(Clock::duration span) { return std::chrono::duration<double, std::milli>(span).count(); }

struct Spread {
  double median;
  double worst;
};

Spread SpreadOf(std::vector<double> samples) {
  std::sort(samples.begin(), samples.end());
  return {samples[samples.size() / 2], samples.back()};
}

double ProcessCpuSeconds() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec + (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// Share of one core the whole process used while the window ran its loop
// for kCpuSeconds.
double WindowCpuPercent() {
  const double before = ProcessCpuSeconds();
  RunMessageLoopFor(kCpuSeconds * 1000);
  return (ProcessCpuSeconds() - before) * 100.0 / kCpuSeconds;
}

bool Listed(TComboBox* box, int port) { return box->Items->IndexOf("COM" + IntToStr(port)) >= 0; }

void PlugInToList(serial_lines::PortLines& ports, TForm1& form) {
  std::vector<double> samples;
  for (int round = 0; round < kRounds; ++round) {
    const int port = 100 + round;
    const Clock::time_point plugged = Clock::now();
    ports.Plug(port);
    if (!ProcessMessagesUntil([&] { return Listed(form.ComboBox1, port) && Listed(form.ComboBox3, port); }, 5000)) {
      std::printf("plug-in to list: COM%d never listed\n", port);
      return;
    }
    samples.push_back(Milliseconds(Clock::now() - plugged));
    ProcessMessagesFor(150);  // the next round starts after a quiet time
  }
  const Spread spread = SpreadOf(samples);
  std::printf("plug-in to list (%d rounds): median %.0f ms, worst %.0f ms (aim < 500 ms)\n", kRounds, spread.median,
              spread.worst);
}

void ReturnToOpen(serial_lines::PortLines& ports, TForm1& form) {
  std::vector<double> samples;
  for (int round = 0; round < kRounds; ++round) {
    ports.Unplug(3);
    if (!ProcessMessagesUntil([&] { return form.Channels[0]._hComm.load() == INVALID_HANDLE_VALUE; }, 5000)) {
      std::printf("return to open: the loss was never noticed\n");
      return;
    }
    ProcessMessagesFor(150);
    const Clock::time_point returned = Clock::now();
    ports.Plug(3);
    if (!ProcessMessagesUntil([&] { return form.Channels[0]._hComm.load() != INVALID_HANDLE_VALUE; }, 5000)) {
      std::printf("return to open: the panel never opened its port again\n");
      return;
    }
    samples.push_back(Milliseconds(Clock::now() - returned));
  }
  const Spread spread = SpreadOf(samples);
  std::printf("device return to panel open (%d rounds): median %.0f ms, worst %.0f ms (aim < 1000 ms)\n", kRounds,
              spread.median, spread.worst);
}

void WindowCpuWhileLost(serial_lines::PortLines& ports, TForm1& form) {
  form.Button1->Click();  // closed: the baseline
  ProcessMessagesFor(200);
  const double closed = WindowCpuPercent();
  form.Button1->Click();  // open on COM3 again
  ports.Unplug(3);
  ProcessMessagesUntil([&] { return form.Channels[0]._hComm.load() == INVALID_HANDLE_VALUE; }, 5000);
  const double lost = WindowCpuPercent();
  std::printf(
      "CPU of the whole window over %d s: %.2f%% of a core with a panel waiting for its lost port, "
      "%.2f%% with no port open\n",
      kCpuSeconds, lost, closed);
}

// The watcher of a lost port whose window never closes it.
class LostChannel : public ReadData {
 public:
  void OnDeviceLost() override { watcher = static_cast<pid_t>(syscall(SYS_gettid)); }
  std::atomic<pid_t> watcher{0};
};

double ThreadCpuSeconds(pid_t thread) {
  // The kernel's per-thread scheduler clock of a thread of this process.
  const clockid_t clock = static_cast<clockid_t>((~static_cast<unsigned>(thread) << 3) | 6);
  timespec used{};
  if (clock_gettime(clock, &used) != 0) return -1;
  return used.tv_sec + used.tv_nsec / 1e9;
}

void LostWatcherCpu(serial_lines::PortLines& ports) {
  LostChannel channel;
  ports.Plug(9);
  if (!channel.Open(9, "9600,N,8,1")) {
    SERIAL_OPEN_REPORT report{};
    GetLastSerialOpenReport(&report);
    std::printf("lost watcher: COM9 does not open (error %lu, device \"%s\", holder %lu %s)\n",
                static_cast<unsigned long>(GetLastError()), report.szDevice,
                static_cast<unsigned long>(report.dwHolderProcessId), report.szHolderProgram);
    return;
  }
  ports.Unplug(9);
  const Clock::time_point deadline = Clock::now() + std::chrono::seconds(5);
  while (channel.watcher == 0 && Clock::now() < deadline) std::this_thread::sleep_for(std::chrono::milliseconds(5));
  if (channel.watcher == 0) {
    std::printf("lost watcher: the loss was never reported\n");
    return;
  }
  const double before = ThreadCpuSeconds(channel.watcher);
  if (before < 0) {
    std::printf("lost watcher: its thread ended after reporting the loss\n");
    channel.Close();
    return;
  }
  std::this_thread::sleep_for(std::chrono::seconds(kCpuSeconds));
  const double used = ThreadCpuSeconds(channel.watcher) - before;
  std::printf("CPU of a lost port's watcher over %d s: %.4f%% of a core (%.1f us)\n", kCpuSeconds,
              used * 100.0 / kCpuSeconds, used * 1e6);
  channel.Close();
}

// Each thread of this process by id: its name and CPU seconds so far.
std::map<pid_t, std::pair<std::string, double>> ThreadTimes() {
  std::map<pid_t, std::pair<std::string, double>> times;
  std::error_code error;
  for (const auto& entry : std::filesystem::directory_iterator("/proc/self/task", error)) {
    const pid_t thread = static_cast<pid_t>(std::stol(entry.path().filename().string()));
    std::string name;
    std::getline(std::ifstream(entry.path() / "comm"), name);
    times[thread] = {name, ThreadCpuSeconds(thread)};
  }
  return times;
}

// The threads that used the most CPU between two looks, as "name 12.3 ms".
std::string BusiestThreads(const std::map<pid_t, std::pair<std::string, double>>& before,
                           const std::map<pid_t, std::pair<std::string, double>>& after) {
  std::vector<std::pair<double, std::string>> used;
  for (const auto& [thread, now] : after) {
    const auto earlier = before.find(thread);
    const double start = earlier == before.end() ? 0 : earlier->second.second;
    used.push_back({now.second - start, now.first});
  }
  std::sort(used.rbegin(), used.rend());
  std::string text;
  for (size_t i = 0; i < used.size() && i < 3; ++i) {
    char item[80];
    std::snprintf(item, sizeof item, "%s%s %.1f ms", i ? ", " : "", used[i].second.c_str(), used[i].first * 1e3);
    text += item;
  }
  return text;
}

// The panel waits for COM3 when this starts; each round plugs a far end
// held by a child process, waits for the panel to have it open, ends the
// child with SIGTERM and measures the second after.
void CpuAfterUnplugs(const serial_lines::PortsFolder& folder, TForm1& form, bool streaming) {
  const int kUnplugRounds = 50;
  const double kSpike = 2.0;  // % of a core: more than waiting costs
  std::vector<double> samples;
  int spikes = 0;
  std::string worstThreads;
  for (int round = 0; round < kUnplugRounds; ++round) {
    serial_lines::ProcessFarEnd far(folder.Link(3), streaming);
    if (!ProcessMessagesUntil([&] { return form.Channels[0]._hComm.load() != INVALID_HANDLE_VALUE; }, 5000)) {
      std::printf("CPU after an unplug: round %d, the panel never opened its port again\n", round);
      return;
    }
    ProcessMessagesFor(300);
    const auto threadsBefore = ThreadTimes();
    const double before = ProcessCpuSeconds();
    far.End(SIGTERM);
    RunMessageLoopFor(1000);
    const double percent = (ProcessCpuSeconds() - before) * 100.0;
    if (form.Channels[0]._hComm.load() != INVALID_HANDLE_VALUE) {
      std::printf("CPU after an unplug: round %d, the loss was not noticed within a second\n", round);
      return;
    }
    if (percent > kSpike) ++spikes;
    if (samples.empty() || percent > *std::max_element(samples.begin(), samples.end()))
      worstThreads = BusiestThreads(threadsBefore, ThreadTimes());
    samples.push_back(percent);
  }
  const Spread spread = SpreadOf(samples);
  std::printf(
      "CPU of the whole window in the second after an unplug by SIGTERM, %s line (%d rounds): median %.2f%%, "
      "worst %.2f%% of a core (%s); %d rounds above %.0f%%\n",
      streaming ? "streaming" : "quiet", kUnplugRounds, spread.median, spread.worst, worstThreads.c_str(), spikes,
      kSpike);
}

}  // namespace

int main() {
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  serial_lines::PortLines ports;
  ports.Plug(3);

  Application->Initialize();
  Application->Title = "Kestrix";
  Application->CreateForm(Form1);
  Form1->Show();
  ProcessMessagesFor(300);
  Form1->ComboBox1->Text = "COM3";
  Form1->Button1->Click();
  if (Form1->Channels[0]._hComm.load() == INVALID_HANDLE_VALUE) {
    std::printf("COM3 does not open\n");
    return 1;
  }

  PlugInToList(ports, *Form1);
  ReturnToOpen(ports, *Form1);
  WindowCpuWhileLost(ports, *Form1);
  LostWatcherCpu(ports);
  CpuAfterUnplugs(ports.Folder(), *Form1, false);
  CpuAfterUnplugs(ports.Folder(), *Form1, true);
  std::fflush(stdout);

  delete Form1;
  Form1 = nullptr;
  return 0;
}
