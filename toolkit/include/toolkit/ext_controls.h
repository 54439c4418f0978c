// The timer and the image.
#pragma once

#include "toolkit/controls.h"
#include "toolkit/events.h"
#include "toolkit/graphics.h"

struct TimerData;

// Raises OnTimer every Interval milliseconds while Enabled (on from
// creation, as the classic timer is) and Interval is above 0.
class TTimer : public TComponent {
 public:
  explicit TTimer(TComponent* AOwner);
  ~TTimer() override;

  Property<unsigned> Interval;
  Property<bool> Enabled;
  TNotifyEvent OnTimer;

 private:
  std::unique_ptr<TimerData> data_;
};

// Shows a picture. Transparent lets the parent show through the pixels of
// the picture's bottom-left colour.
class TImage : public TGraphicControl {
 public:
  explicit TImage(TComponent* AOwner);
  ~TImage() override;

  TPicture* const Picture;
  Property<bool> Transparent;
  Property<bool> Stretch;
  Property<bool> Center;
};
