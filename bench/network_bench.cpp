// Ports on a server against local ports, the window driven as a user
// drives it: both panels on ports that ser2net (Debian's) serves on the
// loopback address with RFC 2217, each serving one of the benchmark's
// pseudo-terminal lines, then the same on the lines themselves. Prints, for
// each: both lines at 92,160 bytes/s each both ways (lossless or not, and
// the program's CPU), and a byte's latency from the far terminal to the
// screen. Then, on the server's ports alone: how long a baud change takes to
// reach the far terminal's settings, how soon a killed server is noticed,
// and how soon the panel is open again once the server is back.
//
//   network_bench [--seconds N]    N seconds of load per run (default 20)
//   network_bench --drops-only     only the server killed and back
//   network_bench --baud-only      only the baud changes
#include <termios.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "app_bench/bench_window.h"
#include "app_bench/measures.h"
#include <toolkit/testing.h>
#include "network_servers.h"
#include "soak_bench/panel_senders.h"

namespace {

using namespace std::chrono_literals;

constexpr double kRate = 92160;  // bytes a second each way on each line
constexpr int kLatencyRounds = 200;
constexpr int kBaudRounds = 20;
constexpr int kDropRounds = 10;

struct Run {
  std::string error;
  LoadResult load;
  bool sentArrived = false;
  uint64_t sentWrong = 0;
  Spread latency;
};

struct Report {
  std::string error;
  Run local, network;
  Spread reopenBaud;    // ms from pressing Open with a new rate to the far terminal having it
  Spread settingsBaud;  // ms from SetCommState on the open port to the far terminal having it
  Spread noticed;       // ms from the server's death to the panel showing the port lost
  Spread reconnected;   // ms from the server listening again to the panel open again
};

double Ms(Clock::duration duration) { return std::chrono::duration<double, std::milli>(duration).count(); }

speed_t FarSpeed(serial_lines::PatternFarEnd& end) {
  const termios settings = end.Settings();
  return cfgetospeed(&settings);
}

Run MeasureOn(const Lines& lines, const char* one, const char* two, double seconds) {
  Run run;
  run.error = OpenPanelsOn(*lines.form, one, two, "921600");
  if (!run.error.empty()) return run;
  std::this_thread::sleep_for(1s);
  std::fprintf(stderr, "%s/%s: latency, %d samples...\n", one, two, kLatencyRounds);
  run.latency = RunLatency(lines, kLatencyRounds);
  std::fprintf(stderr, "%s/%s: %.0f bytes/s each way per line for %.0f s...\n", one, two, kRate, seconds);
  const uint64_t wrongBefore = lines.ends[0]->ReceivedWrong() + lines.ends[1]->ReceivedWrong();
  PanelSenders senders(lines, kRate);
  run.load = RunLoad(lines, kRate, seconds, [&] { senders.Step(); });
  run.sentArrived = senders.WaitUntilArrived(10s);
  run.sentWrong = lines.ends[0]->ReceivedWrong() + lines.ends[1]->ReceivedWrong() - wrongBefore;
  const std::string closed = CloseBothPanels(*lines.form);
  if (run.error.empty()) run.error = closed;
  return run;
}

// Opens panel 1 again at each rate by its buttons, and sets the rate on
// the open port as the panel's flow-control change does.
void MeasureBaudChanges(const Lines& lines, const char* port, Report& report) {
  WatchedForm& form = *lines.form;
  serial_lines::PatternFarEnd& far = *lines.ends[0];
  std::vector<double> reopened, set;
  for (int round = 0; round < kBaudRounds; ++round) {
    const bool fast = round % 2 == 0;
    const speed_t wanted = fast ? B115200 : B57600;
    Clock::time_point pressed;
    WatchedForm::RunOnWindowThread(form.Handle, [&] {
      if (form.Button1->Caption.Get() == Tr("PortPanel", "关闭")) form.Button1->Click();
      form.ComboBox1->Text = port;
      form.ComboBox2->Text = fast ? "115200" : "57600";
      ClearShownDialogsForTesting();
      pressed = Clock::now();
      form.Button1->Click();
      for (const ShownDialog& shown : ShownDialogsForTesting())
        std::fprintf(stderr, "  round %d: the open said: %s\n", round + 1, shown.Text.Utf8().c_str());
    });
    while (FarSpeed(far) != wanted && Clock::now() - pressed < 5s) std::this_thread::sleep_for(200us);
    reopened.push_back(Ms(Clock::now() - pressed));

    const speed_t other = fast ? B57600 : B115200;
    Clock::time_point called;
    WatchedForm::RunOnWindowThread(form.Handle, [&] {
      DCB dcb{};
      GetCommState(form.Channels[0]._hComm, &dcb);
      dcb.BaudRate = fast ? 57600 : 115200;
      called = Clock::now();
      if (!SetCommState(form.Channels[0]._hComm, &dcb))
        std::fprintf(stderr, "  round %d: SetCommState failed, error %u\n", round + 1,
                     static_cast<unsigned>(GetLastError()));
    });
    while (FarSpeed(far) != other && Clock::now() - called < 5s) std::this_thread::sleep_for(200us);
    set.push_back(Ms(Clock::now() - called));
    if (set.back() > 1000)
      std::fprintf(stderr, "  round %d: the rate set on the open port did not reach the far terminal (it has %o)\n",
                   round + 1, static_cast<unsigned>(FarSpeed(far)));
  }
  WatchedForm::RunOnWindowThread(form.Handle, [&] { form.Button1->Click(); });
  report.reopenBaud = SpreadOf(reopened);
  report.settingsBaud = SpreadOf(set);
}

void MeasureDrops(const Lines& lines, serial_lines::Ser2net& server, const char* port, Report& report) {
  WatchedForm& form = *lines.form;
  auto panelState = [&](bool& open, bool& lost) {
    WatchedForm::RunOnWindowThread(form.Handle, [&] {
      open = form.Channels[0]._hComm != INVALID_HANDLE_VALUE;
      lost = form.StatusBar1->Panels->Items[1]->Text.Get().Utf8().find("已断开") != std::string::npos;
    });
  };
  WatchedForm::RunOnWindowThread(form.Handle, [&] {
    form.ComboBox1->Text = port;
    form.Button1->Click();
  });
  std::vector<double> noticed, back;
  for (int round = 0; round < kDropRounds; ++round) {
    std::this_thread::sleep_for(500ms);
    bool open = false, lost = false;
    server.Kill();
    const Clock::time_point killed = Clock::now();
    do {
      std::this_thread::sleep_for(1ms);
      panelState(open, lost);
    } while (!lost && Clock::now() - killed < 10s);
    noticed.push_back(Ms(Clock::now() - killed));
    std::this_thread::sleep_for(1s);  // the server stays away a while
    const Clock::time_point restart = Clock::now();
    server.Start();
    // The server listens from some moment of its start; the time counts
    // from when the benchmark first saw it listening.
    const Clock::time_point listening = std::max(restart, Clock::now() - 5ms);
    do {
      std::this_thread::sleep_for(1ms);
      panelState(open, lost);
    } while ((lost || !open) && Clock::now() - listening < 10s);
    back.push_back(Ms(Clock::now() - listening));
    std::fprintf(stderr, "  round %d: noticed in %.1f ms, open again %.1f ms after the server listened\n", round + 1,
                 noticed.back(), back.back());
  }
  WatchedForm::RunOnWindowThread(form.Handle, [&] { form.Button1->Click(); });
  report.noticed = SpreadOf(noticed);
  report.reconnected = SpreadOf(back);
}

void RunBench(const Lines& lines, double seconds, bool dropsOnly, bool baudOnly, Report& report) {
  serial_lines::Ser2net one(lines.ends[0]->TerminalPath(), serial_lines::FreeLoopbackPort(), true);
  serial_lines::Ser2net two(lines.ends[1]->TerminalPath(), serial_lines::FreeLoopbackPort(), true);
  if (!one.Unavailable().empty()) {
    report.error = one.Unavailable();
    return;
  }
  DefineDosDeviceA(0, "COM7", one.Address().c_str());
  DefineDosDeviceA(0, "COM8", two.Address().c_str());
  std::this_thread::sleep_for(1s);  // the port lists take the new names

  if (baudOnly) {
    MeasureBaudChanges(lines, "COM7", report);
  } else if (!dropsOnly) {
    // The lines themselves first: ser2net opens a line only while a client
    // is connected, and lets it go a moment after the client has gone.
    report.local = MeasureOn(lines, "COM1", "COM2", seconds);
    report.network = MeasureOn(lines, "COM7", "COM8", seconds);
    std::this_thread::sleep_for(1s);
    std::fprintf(stderr, "baud changes, %d rounds...\n", kBaudRounds);
    MeasureBaudChanges(lines, "COM7", report);
    std::this_thread::sleep_for(1s);
  }
  std::fprintf(stderr, "server killed and back, %d rounds...\n", kDropRounds);
  if (!baudOnly) MeasureDrops(lines, one, "COM7", report);
  DefineDosDeviceA(DDD_REMOVE_DEFINITION, "COM7", nullptr);
  DefineDosDeviceA(DDD_REMOVE_DEFINITION, "COM8", nullptr);
}

void PrintRun(const char* name, const Run& run) {
  if (!run.error.empty()) {
    std::printf("%-22s error: %s\n", name, run.error.c_str());
    return;
  }
  const LoadResult& load = run.load;
  std::printf("%-22s in: %s (%llu B taken, %llu lost, %llu shown)  out: %s  CPU %.1f %% (window %.1f %%)\n", name,
              load.Lossless() ? "lossless" : "LOST", static_cast<unsigned long long>(load.taken),
              static_cast<unsigned long long>(load.lost), static_cast<unsigned long long>(load.shown),
              run.sentArrived && run.sentWrong == 0 ? "lossless" : "LOST", load.cpu.programPercent,
              load.cpu.windowPercent);
  std::printf("%-22s latency far terminal -> screen: median %.1f ms, p99 %.1f ms, max %.1f ms\n", "",
              run.latency.median, run.latency.p99, run.latency.max);
}

void PrintSpread(const char* name, const Spread& spread, double aim) {
  std::printf("%-46s median %7.1f ms  max %7.1f ms  (aim %.0f ms) %s\n", name, spread.median, spread.max, aim,
              spread.max <= aim ? "" : "ABOVE AIM");
}

}  // namespace

int main(int argc, char** argv) {
  double seconds = 20;
  bool dropsOnly = false;
  bool baudOnly = false;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--seconds") == 0 && i + 1 < argc) seconds = std::atof(argv[i + 1]);
    if (std::strcmp(argv[i], "--drops-only") == 0) dropsOnly = true;
    if (std::strcmp(argv[i], "--baud-only") == 0) baudOnly = true;
  }
  Report report;
  const std::string machine = MachineDescription();
  const std::string before = LoadAverage();
  RunWithWindow([] {}, [&](const Lines& lines) { RunBench(lines, seconds, dropsOnly, baudOnly, report); });
  std::printf("network_bench: ports served by ser2net on 127.0.0.1 (RFC 2217) against the same lines local\n");
  std::printf("machine: %s\nload average before: %s, after: %s\n", machine.c_str(), before.c_str(),
              LoadAverage().c_str());
  if (!report.error.empty()) {
    std::printf("error: %s\n", report.error.c_str());
    return 1;
  }
  std::printf("\nboth panels, %.0f bytes/s each way on each line, %.0f s:\n", kRate, seconds);
  PrintRun("network (ser2net)", report.network);
  PrintRun("local pseudo-terminals", report.local);
  if (report.local.load.cpu.programPercent > 0)
    std::printf("CPU network / local: %.2f (aim at most 1.5)\n",
                report.network.load.cpu.programPercent / report.local.load.cpu.programPercent);
  std::printf("latency network - local (median): %.1f ms (aim at most 5 ms)\n\n",
              report.network.latency.median - report.local.latency.median);
  PrintSpread("baud change by reopening -> far termios", report.reopenBaud, 100);
  PrintSpread("baud change by SetCommState -> far termios", report.settingsBaud, 100);
  PrintSpread("server killed -> panel shows the port lost", report.noticed, 1000);
  PrintSpread("server listening again -> panel open again", report.reconnected, 1000);
  return 0;
}
