// Figures for file transfers in the whole program against Debian's lrzsz on
// the far end of a pseudo-terminal line paced like a real one (the far end's
// relay moves each way no faster than the baud rate allows), and lrzsz's
// own programs on both ends of the same kind of line beside them:
//   - 1 MiB by YMODEM-1K at 115200 baud, against the line's own time for
//     the bytes (10 bits a byte);
//   - 1 MiB by ZMODEM at 921,600 baud, the same;
//   - XMODEM-CRC at 9600 baud with one byte in 6,650 (one block in 50)
//     spoiled on its way to the receiver: the time, the retries, and every
//     byte compared;
//   - a cancel from here and one from the far end (its Ctrl+C) during a
//     send: from the cancel until both ends have stopped.
// Not a test: run it by hand. --quick sends a quarter as much.
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <random>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "PanelFileTransfer.h"
#include "app_bench/bench_window.h"
#include "app_bench/measures.h"
#include "app_bench/runs.h"
#include "lrzsz_far_end.h"

namespace {

using Clock = std::chrono::steady_clock;
using serial_lines::LineLikeness;
using serial_lines::LrzszFarEnd;
namespace fs = std::filesystem;

bool g_quick = false;
fs::path g_folder;

struct Outcome {
  double seconds = 0;
  bool ended = false;  // both ends ended within the time allowed
  bool exact = false;  // the file arrived byte for byte
  std::string note;    // the summary line, or what lrzsz said
};

void OnWindow(const Lines& lines, const std::function<void()>& call) {
  WatchedForm::RunOnWindowThread(lines.form->Handle, call);
}

PanelFileTransfer& TransferOf(const Lines& lines) { return *lines.form->Panels[0]->Find<PanelFileTransfer>(); }

double Since(Clock::time_point start) { return std::chrono::duration<double>(Clock::now() - start).count(); }

std::string ReadAll(const fs::path& path) {
  std::ifstream file(path, std::ios::binary);
  std::stringstream bytes;
  bytes << file.rdbuf();
  return bytes.str();
}

// Random bytes with every value, CAN, XON, XOFF and 0xFF among them.
void WriteFile(const fs::path& path, size_t size) {
  std::mt19937 random(static_cast<unsigned>(size));
  std::string bytes(size, '\0');
  for (char& byte : bytes) byte = static_cast<char>(random() & 0xFF);
  std::ofstream(path, std::ios::binary) << bytes;
}

// XMODEM carries no size: the last block is filled with SUB.
bool Arrived(const fs::path& sent, const fs::path& received, bool padded) {
  const std::string a = ReadAll(sent), b = ReadAll(received);
  if (!padded) return a == b;
  return b.size() >= a.size() && b.compare(0, a.size(), a) == 0 &&
         b.find_first_not_of('\x1A', a.size()) == std::string::npos;
}

fs::path FreshFolder(const std::string& name) {
  const fs::path folder = g_folder / name;
  fs::remove_all(folder);
  fs::create_directories(folder);
  return folder;
}

// Reads what the last run's far end left unread on the line (its master is
// non-blocking) until it has been quiet for a while: not this run's.
void DrainLine(int master) {
  char stale[4096];
  for (int quiet = 0; quiet < 4;) {
    if (::read(master, stale, sizeof stale) > 0) {
      quiet = 0;
    } else {
      ++quiet;
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
  }
}

double LineSeconds(size_t bytes, double baud) { return static_cast<double>(bytes) * 10 / baud; }

// The program sends File by Protocol to Receiver (lrzsz's words) on a line
// like Likeness; Cancel, when given, runs after CancelAfter seconds and the
// time is then counted from it.
Outcome SendFromHere(const Lines& lines, TransferProtocol protocol, const fs::path& file,
                     std::vector<std::string> receiver, LineLikeness likeness, double timeoutSeconds,
                     const std::function<void(LrzszFarEnd&)>& cancel = {}, double cancelAfter = 0) {
  const fs::path there = FreshFolder("there");
  DrainLine(lines.ends[0]->Master());
  LrzszFarEnd far(lines.ends[0]->Master(), there.string(), receiver, std::string(), likeness);
  Outcome outcome;
  bool started = false;
  Clock::time_point start = Clock::now();
  OnWindow(lines, [&] { started = TransferOf(lines).StartSending(protocol, {file.string()}); });
  if (!started) {
    outcome.note = "did not start";
    return outcome;
  }
  bool cancelled = !cancel;
  while (Since(start) < timeoutSeconds) {
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
    if (!cancelled && Since(start) >= cancelAfter) {
      cancelled = true;
      start = Clock::now();
      cancel(far);
    }
    bool running = true;
    OnWindow(lines, [&] { running = TransferOf(lines).Running(); });
    if (!running && far.Ended()) {
      outcome.ended = true;
      break;
    }
  }
  outcome.seconds = Since(start);
  OnWindow(lines, [&] {
    if (TransferOf(lines).Running()) TransferOf(lines).Cancel();
    outcome.note = TransferOf(lines).Summary().Utf8();
  });
  const fs::path received = there / (receiver.back()[0] == '-' ? file.filename() : fs::path(receiver.back()));
  outcome.exact = Arrived(file, received, !CarriesNames(protocol));
  if (likeness.spoilEvery != 0) outcome.note += "; bytes spoiled on the line: " + std::to_string(far.Spoiled());
  return outcome;
}

// lrzsz on both ends of a line like Likeness (the sender's side paced).
Outcome LrzszBetween(std::vector<std::string> sender, std::vector<std::string> receiver, const fs::path& file,
                     LineLikeness likeness, bool padded, double timeoutSeconds) {
  int line[2];
  ::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, line);
  const fs::path here = FreshFolder("lrzsz-here"), there = FreshFolder("lrzsz-there");
  fs::copy_file(file, here / file.filename());
  Outcome outcome;
  const Clock::time_point start = Clock::now();
  {
    LrzszFarEnd to(line[1], there.string(), receiver, std::string(), likeness);
    LrzszFarEnd from(line[0], here.string(), sender);
    while (Since(start) < timeoutSeconds && !(to.Ended() && from.Ended()))
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    outcome.seconds = Since(start);
    outcome.ended = to.Ended() && from.Ended();
    outcome.note = from.Said();
  }
  ::close(line[0]);
  ::close(line[1]);
  const fs::path received = there / (receiver.back()[0] == '-' ? file.filename() : fs::path(receiver.back()));
  outcome.exact = Arrived(file, received, padded);
  return outcome;
}

void Print(const char* what, const Outcome& outcome, double lineSeconds) {
  std::printf("  %-8s %8.2f s", what, outcome.seconds);
  if (lineSeconds > 0) std::printf(" = %5.1f%% of the line's time", outcome.seconds * 100 / lineSeconds);
  std::printf("; %s; %s\n", outcome.ended ? "ended" : "DID NOT END", outcome.exact ? "byte-exact" : "NOT EXACT");
}

std::string LastLine(const std::string& text) {
  std::string line;
  std::istringstream lines(text);
  for (std::string each; std::getline(lines, each, '\n');) {
    const size_t cr = each.find_last_of('\r');
    each = cr == std::string::npos ? each : each.substr(cr + 1);
    if (each.find_first_not_of(' ') != std::string::npos) line = each;
  }
  return line;
}

std::string RunAll(const Lines& lines) {
  const size_t big = g_quick ? 256 * 1024 : 1024 * 1024;
  const fs::path file = g_folder / "image.bin";
  WriteFile(file, big);

  std::string error = OpenBothPanels(*lines.form, "115200");
  if (!error.empty()) return error;
  const double ymodemLine = LineSeconds(big, 115200);
  std::printf("\n%zu bytes by YMODEM-1K at 115200 baud (the line's own time %.2f s; aim: within 110%%):\n", big,
              ymodemLine);
  const Outcome ours =
      SendFromHere(lines, TransferProtocol::Ymodem, file, {"rb", "-b"}, {115200.0 / 10}, ymodemLine * 3);
  Print("kestrix", ours, ymodemLine);
  std::printf("           %s\n", ours.note.c_str());
  const Outcome theirs =
      LrzszBetween({"sb", "-k", "-b", file.filename()}, {"rb", "-b"}, file, {115200.0 / 10}, false, ymodemLine * 3);
  Print("sb -> rb", theirs, ymodemLine);
  std::printf("           sb: %s\n", LastLine(theirs.note).c_str());

  std::printf("\nCancels during a 1 MiB send at 115200 baud, 2 s in, until both ends stopped (aim: within 1 s):\n");
  const fs::path large = g_folder / "large.bin";
  WriteFile(large, 1024 * 1024);
  const auto cancelHere = [&](LrzszFarEnd&) { OnWindow(lines, [&] { TransferOf(lines).Cancel(); }); };
  const auto cancelThere = [](LrzszFarEnd& far) { far.Interrupt(); };
  for (const TransferProtocol protocol :
       {TransferProtocol::Xmodem1K, TransferProtocol::Ymodem, TransferProtocol::Zmodem}) {
    std::vector<std::string> receiver{protocol == TransferProtocol::Zmodem   ? "rz"
                                      : protocol == TransferProtocol::Ymodem ? "rb"
                                                                             : "rx",
                                      "-b"};
    if (protocol == TransferProtocol::Xmodem1K) receiver.insert(receiver.end(), {"-c", "large.bin"});
    const Outcome here = SendFromHere(lines, protocol, large, receiver, {115200.0 / 10}, 30, cancelHere, 2);
    const Outcome there = SendFromHere(lines, protocol, large, receiver, {115200.0 / 10}, 30, cancelThere, 2);
    std::printf("  %-9s cancelled here: %5.2f s (%s); at the far end (its Ctrl+C): %5.2f s (%s)\n",
                ProtocolName(protocol), here.seconds, here.ended ? "both ended" : "NOT ENDED", there.seconds,
                there.ended ? "both ended" : "NOT ENDED");
    std::printf("            %s | %s\n", here.note.c_str(), there.note.c_str());
  }

  error = CloseBothPanels(*lines.form);
  if (error.empty()) error = OpenBothPanels(*lines.form, "921600");
  if (!error.empty()) return error;
  const double zmodemLine = LineSeconds(big, 921600);
  std::printf("\n%zu bytes by ZMODEM at 921,600 baud (the line's own time %.2f s; aim: within 115%%):\n", big,
              zmodemLine);
  const Outcome zours =
      SendFromHere(lines, TransferProtocol::Zmodem, file, {"rz", "-b"}, {921600.0 / 10}, zmodemLine * 4 + 10);
  Print("kestrix", zours, zmodemLine);
  std::printf("           %s\n", zours.note.c_str());
  const Outcome ztheirs =
      LrzszBetween({"sz", "-b", file.filename()}, {"rz", "-b"}, file, {921600.0 / 10}, false, zmodemLine * 4 + 10);
  Print("sz -> rz", ztheirs, zmodemLine);
  std::printf("           sz: %s\n", LastLine(ztheirs.note).c_str());

  error = CloseBothPanels(*lines.form);
  if (error.empty()) error = OpenBothPanels(*lines.form, "9600");
  if (!error.empty()) return error;
  const size_t small = g_quick ? 8 * 1024 : 32 * 1024;
  const fs::path smallFile = g_folder / "small.bin";
  WriteFile(smallFile, small);
  const double xmodemLine = LineSeconds(small / 128 * 133, 9600);
  const LineLikeness noisy{9600.0 / 10, 50 * 133};
  std::printf(
      "\n%zu bytes by XMODEM-CRC at 9600 baud, one byte in 6,650 (a block in 50) spoiled on its way to the "
      "receiver (the line's own time for the blocks %.1f s):\n",
      small, xmodemLine);
  const Outcome xours =
      SendFromHere(lines, TransferProtocol::Xmodem, smallFile, {"rx", "-b", "-c", "small.bin"}, noisy, 600);
  Print("kestrix", xours, xmodemLine);
  std::printf("           %s\n", xours.note.c_str());
  const Outcome xtheirs =
      LrzszBetween({"sx", "-b", smallFile.filename()}, {"rx", "-b", "-c", "small.bin"}, smallFile, noisy, true, 600);
  Print("sx -> rx", xtheirs, xmodemLine);
  std::printf("           sx: %s\n", LastLine(xtheirs.note).c_str());
  return CloseBothPanels(*lines.form);
}

}  // namespace

int main(int argc, char** argv) {
  std::setvbuf(stdout, nullptr, _IOLBF, 0);
  for (int i = 1; i < argc; ++i) g_quick = g_quick || std::string(argv[i]) == "--quick";
  // A far end's socket may close under a write.
  ::signal(SIGPIPE, SIG_IGN);
  if (FindProgram(TransferProtocol::Zmodem, true).empty()) {
    std::printf("lrzsz (sx, rx, sb, rb, sz, rz) is not installed: apt install lrzsz\n");
    return 1;
  }
  g_folder = fs::temp_directory_path() / ("kestrix-transfer-bench-" + std::to_string(::getpid()));
  fs::create_directories(g_folder);
  std::printf("%s\nload average before: %s\n", MachineDescription().c_str(), LoadAverage().c_str());
  std::string error;
  RunWithWindow([] {}, [&](const Lines& lines) { error = RunAll(lines); });
  std::printf("\nload average after: %s\n", LoadAverage().c_str());
  if (!error.empty()) std::printf("error: %s\n", error.c_str());
  fs::remove_all(g_folder);
  std::fflush(stdout);
  return error.empty() ? 0 : 1;
}
