// The timer, the image and the splitter.
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

// A bar between two controls, one above the other, that the user drags up
// or down (or moves with Up and Down, Page Up and Page Down, Home and End
// while it has the focus) to share their height. The bar moves itself,
// keeping its Top within MinTop and MaxTop, then raises OnMoved: the
// program places the controls beside it.
class TSplitter : public TWinControl {
 public:
  explicit TSplitter(TComponent* AOwner);

  Property<int> MinTop;
  Property<int> MaxTop;
  TNotifyEvent OnMoved;

 private:
  int minTop_ = 0;
  int maxTop_ = 0;
};
