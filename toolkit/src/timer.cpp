// TTimer on a QTimer.
#include <QTimer>

#include "event_guard.h"
#include "toolkit/ext_controls.h"
#include "toolkit/forms.h"

struct TimerData {
  QTimer timer;
  unsigned interval = 1000;
  bool enabled = true;
};

namespace {

void Apply(TimerData& data) {
  data.timer.stop();
  if (data.enabled && data.interval > 0) data.timer.start(static_cast<int>(std::min(data.interval, 0x7FFFFFFFu)));
}

}  // namespace

TTimer::TTimer(TComponent* AOwner)
    : TComponent(AOwner),
      Interval([this] { return data_->interval; },
               [this](const unsigned& value) {
                 data_->interval = value;
                 Apply(*data_);
               }),
      Enabled([this] { return data_->enabled; },
              [this](const bool& value) {
                data_->enabled = value;
                Apply(*data_);
              }),
      data_((Application->Initialize(), std::make_unique<TimerData>())) {
  QObject::connect(&data_->timer, &QTimer::timeout, [this] {
    CallGuarded(this, [this] {
      if (OnTimer) OnTimer(this);
    });
  });
  Apply(*data_);
}

TTimer::~TTimer() = default;
