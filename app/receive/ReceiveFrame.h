// The screen frame at which both receive areas are brought up to date.
//
// One clock for the window: both memos change in the same frame and are
// redrawn in one pass, not each at its own moment. Text that comes after a
// quiet frame is shown at the loop's next turn, after whatever came with
// it; text that comes sooner waits for the frame after the last one, a
// thirtieth of a second after it. While the window is hidden or minimised
// nothing is shown.
#pragma once

#include <windows.h>

#include <functional>

#include <toolkit/toolkit.h>

class ReceiveFrame {
 public:
  explicit ReceiveFrame(TForm* Form);
  ~ReceiveFrame();
  ReceiveFrame(const ReceiveFrame&) = delete;
  ReceiveFrame& operator=(const ReceiveFrame&) = delete;

  // Some area has text waiting: the next frame brings it.
  void Request();
  // The areas were brought up to date now (at a frame or by a caller).
  void Shown();

  // Brings every area up to date; called at each frame the window is seen.
  std::function<void()> OnFrame;

 private:
  void Tick();
  bool Seen() const;

  TForm* form_;
  TTimer* timer_;
  DWORD shownAt_ = 0;  // GetTickCount when the areas were last brought up to date
};
