// The receive area alone: blocks as a reader posts them, taken and shown in
// a memo of a hidden window, without a port, a thread or a redraw. Prints
// the time per byte of each kind of text; under
//   valgrind --tool=callgrind --toggle-collect='*RunFeed*' receive_bench N F
// it counts the instructions of that path alone (N blocks of feed F, all
// feeds when F is left out).
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <string>

#include <toolkit/toolkit.h>

#include "ReceiveArea.h"
#include "ResizableWindow.h"

namespace {

struct Feed {
  const char* name;
  std::string bytes;  // repeated block after block
  bool hex;
  bool timeStamps;
};

// ASCII lines, and Chinese text of the ANSI code page with line breaks.
std::string Lines(const std::string& line, size_t total) {
  std::string text;
  while (text.size() + line.size() <= total) text += line;
  return text;
}

// Blocks of 2048 bytes, the memo brought up to date after every block as at
// a fast line's frames.
[[gnu::noinline]] void RunFeed(ReceiveArea& area, const Feed& feed, int blocks) {
  ReceivedBlock block{};
  block.dwOpening = 1;
  for (int i = 0; i < blocks; ++i) {
    const size_t from = (static_cast<size_t>(i) * kReceiveBufferSize) % feed.bytes.size();
    for (DWORD n = 0; n < kReceiveBufferSize; ++n) block.Bytes[n] = feed.bytes[(from + n) % feed.bytes.size()];
    block.dwCount = kReceiveBufferSize;
    area.Take(block, feed.timeStamps);
    area.ShowNow();
  }
}

}  // namespace

int main(int argc, char** argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  const int blocks = argc > 1 ? std::atoi(argv[1]) : 400;
  const int only = argc > 2 ? std::atoi(argv[2]) : -1;
  Application->Initialize();
  TForm form(nullptr);
  TMemo* memo = new TMemo(&form);
  memo->Parent = &form;
  memo->SetBounds(8, 8, 400, 300);
  TCheckBox* hex = new TCheckBox(&form);
  hex->Parent = &form;
  ReceiveFrame frame(&form, ResizableWindow::kDesignedWidth, ResizableWindow::kDesignedHeight);

  const std::string chinese = AnsiString(String("串口数据，第一行。Line 中文\r\n")).Bytes();
  const Feed feeds[] = {
      {"ascii lines", Lines("The quick brown fox jumps over the lazy dog 0123456789\r\n", 4096), false, false},
      {"chinese lines", Lines(chinese, 4096), false, false},
      {"ascii, time stamps", Lines("temperature=21.5 humidity=40\n", 4096), false, true},
      {"hex", Lines("\x01\x02\xA5\x5A", 4096), true, false},
  };
  std::printf("%-20s %10s %12s\n", "feed", "bytes", "ns/byte");
  for (int f = 0; f < static_cast<int>(std::size(feeds)); ++f) {
    if (only >= 0 && f != only) continue;
    const Feed& feed = feeds[f];
    ReceiveArea area(frame, memo, hex);
    hex->Checked = feed.hex;
    area.Clear();
    const DWORD start = GetTickCount();
    RunFeed(area, feed, blocks);
    const DWORD elapsed = GetTickCount() - start;
    const double bytes = static_cast<double>(blocks) * kReceiveBufferSize;
    std::printf("%-20s %10.0f %12.1f\n", feed.name, bytes, elapsed * 1e6 / bytes);
  }
  return 0;
}
