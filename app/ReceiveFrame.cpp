#include "ReceiveFrame.h"

namespace {

constexpr unsigned kFrameMs = 16;
// After a quiet frame: the loop's next turn, after the blocks that came
// with the first one.
constexpr unsigned kAfterQuietMs = 1;
// While the window cannot be seen, how often the clock looks whether it can
// be seen again.
constexpr unsigned kUnseenRecheckMs = 250;

}  // namespace

ReceiveFrame::ReceiveFrame(TForm* Form) : form_(Form), timer_(new TTimer(Form)) {
  timer_->Enabled = false;
  timer_->Interval = kFrameMs;
  timer_->OnTimer = [this](TObject*) { Tick(); };
}

ReceiveFrame::~ReceiveFrame() {
  // The timer belongs to the form, which outlives this clock by a moment.
  timer_->Enabled = false;
  timer_->OnTimer = nullptr;
}

void ReceiveFrame::Request() {
  if (timer_->Enabled) return;
  timer_->Interval = GetTickCount() - shownAt_ >= kFrameMs ? kAfterQuietMs : kFrameMs;
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
