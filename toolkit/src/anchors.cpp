// Anchors: a control keeps its distances to the sides of its parent it is
// anchored to as the parent changes size.
#include <QEvent>
#include <QObject>
#include <QWidget>

#include <algorithm>

#include "control_data.h"

namespace {

// One axis: where the control starts and how long it is, from where it
// stood (start, length) in a parent of size `was`, for a parent of `now`.
std::pair<int, int> Follow(bool nearSide, bool farSide, int start, int length, int was, int now) {
  const int grown = now - was;
  if (nearSide && farSide) return {start, std::max(0, length + grown)};
  if (farSide) return {start + grown, length};
  if (nearSide || was <= 0) return {start, length};
  // Neither side: the centre keeps its place in proportion.
  const double centre = (start + length / 2.0) * now / was;
  return {static_cast<int>(centre - length / 2.0 + 0.5), length};
}

class AnchorKeeper : public QObject {
 public:
  AnchorKeeper(TControl* control, QWidget* widget) : QObject(widget), control_(control) {}

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Resize && watched == static_cast<QWidget*>(parent())->parentWidget())
      ApplyAnchors(control_);
    return false;
  }

 private:
  TControl* control_;
};

bool Anchored(const ControlData& data) { return data.anchors != (akLeft | akTop); }

}  // namespace

void RecordAnchors(TControl* control) {
  ControlData& data = ControlAccess::Data(control);
  QWidget* widget = data.widget;
  QWidget* parent = widget ? widget->parentWidget() : nullptr;
  if (!parent || !Anchored(data) || widget->isWindow()) {
    delete data.anchorKeeper.data();
    return;
  }
  data.anchorBounds = widget->geometry();
  data.anchorParentSize = parent->size();
  if (!data.anchorKeeper) data.anchorKeeper = new AnchorKeeper(control, widget);
  // Again after a change of parent; a filter installed twice runs once.
  parent->installEventFilter(data.anchorKeeper);
}

void ApplyAnchors(TControl* control) {
  ControlData& data = ControlAccess::Data(control);
  QWidget* widget = data.widget;
  QWidget* parent = widget ? widget->parentWidget() : nullptr;
  if (!parent || !data.anchorKeeper || data.align != alNone) return;
  const QRect& was = data.anchorBounds;
  const auto [left, width] = Follow(data.anchors & akLeft, data.anchors & akRight, was.x(), was.width(),
                                    data.anchorParentSize.width(), parent->width());
  const auto [top, height] = Follow(data.anchors & akTop, data.anchors & akBottom, was.y(), was.height(),
                                    data.anchorParentSize.height(), parent->height());
  const QRect now(left, top, width, height);
  if (widget->geometry() == now) return;
  widget->setGeometry(now);
  // A hidden parent's children hear of no resize until shown.
  RealignChildren(control);
}
