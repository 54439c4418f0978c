// The screen frame at which both receive areas are brought up to date.
//
// One clock for the window: both memos change in the same frame and are
// redrawn in one pass, not each at its own moment. Text that comes after a
// quiet frame is shown at the loop's next turn, after whatever came with
// it; text that comes sooner waits for the frame after the last one, a
// thirtieth of a second after it. A window larger than its designed size
// draws more text in each frame, so text that keeps coming is followed less
// often there, in proportion to the area, down to the window's own tick of
// a tenth of a second: drawing then costs about what it does at the designed
// size. While the window is hidden or minimised nothing is shown.
#pragma once

#include <windows.h>

#include <functional>

#include <toolkit/toolkit.h>

class ReceiveFrame {
 public:
  // DesignedWidth and DesignedHeight: the client size the window is laid
  // out for.
  ReceiveFrame(TForm* Form, int DesignedWidth, int DesignedHeight);
  ~ReceiveFrame();
  ReceiveFrame(const ReceiveFrame&) = delete;
  ReceiveFrame& operator=(const ReceiveFrame&) = delete;

  // Some area has text waiting: the next frame brings it.
  void Request();
  // The areas were brought up to date now (at a frame or by a caller).
  void Shown();

  // Brings every area up to date; called at each frame the window is seen.
  std::function<void()> OnFrame;

  // Milliseconds between frames while text keeps coming, for a window of
  // this client size.
  unsigned FrameMs(int ClientWidth, int ClientHeight) const;

 private:
  void Tick();
  bool Seen() const;

  TForm* form_;
  TTimer* timer_;
  double designedArea_;
  DWORD shownAt_ = 0;  // GetTickCount when the areas were last brought up to date
};
