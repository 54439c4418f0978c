#include "ReceiveFrame.h"

#include <algorithm>

namespace {

// Text that keeps coming is followed 30 times a second. Each frame lays the
// memo's last paragraph out again and repaints it: at 921600 baud (a memo
// emptied every few frames) 60 frames a second would cost half as much again
// in CPU for text that scrolls past too fast to read either way.
constexpr unsigned kFrameMs = 33;
// The longest a frame waits in a large window: the window's own tick.
constexpr unsigned kLargestFrameMs = 100;
// After a quiet frame: the loop's next turn, after the blocks that came
// with the first one.
constexpr unsigned kAfterQuietMs = 1;
// While the window cannot be seen, how often the clock looks whether it can
// be seen again.
constexpr unsigned kUnseenRecheckMs = 250;

}  // namespace

ReceiveFrame::ReceiveFrame(TForm* Form, int DesignedWidth, int DesignedHeight)
    : form_(Form), timer_(new TTimer(Form)), designedArea_(std::max(1.0, double(DesignedWidth) * DesignedHeight)) {
  timer_->Enabled = false;
  timer_->Interval = kFrameMs;
  timer_->OnTimer = [this](TObject*) { Tick(); };
}

ReceiveFrame::~ReceiveFrame() {
  // The timer belongs to the form, which outlives this clock by a moment.
  timer_->Enabled = false;
  timer_->OnTimer = nullptr;
}

unsigned ReceiveFrame::FrameMs(int ClientWidth, int ClientHeight) const {
  const double scale = std::max(0.0, double(ClientWidth) * ClientHeight / designedArea_);
  return static_cast<unsigned>(std::clamp(kFrameMs * scale, double(kFrameMs), double(kLargestFrameMs)));
}

void ReceiveFrame::Request() {
  if (timer_->Enabled) return;
  const unsigned frameMs = FrameMs(form_->ClientWidth, form_->ClientHeight);
  timer_->Interval = GetTickCount() - shownAt_ >= frameMs ? kAfterQuietMs : frameMs;
  timer_->Enabled = true;
}

void ReceiveFrame::Shown() { shownAt_ = GetTickCount(); }

void ReceiveFrame::Tick() {
  if (!Seen()) {
    if (timer_->Interval != kUnseenRecheckMs) timer_->Interval = kUnseenRecheckMs;
    return;
  }
  timer_->Enabled = false;
  if (OnFrame) OnFrame();
}

bool ReceiveFrame::Seen() const { return form_->Visible && form_->WindowState != wsMinimized; }
