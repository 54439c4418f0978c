// TSplitter: a bar that moves up and down by mouse or keys.
#include "splitter.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionFocusRect>

#include <algorithm>

#include "control_data.h"
#include "event_guard.h"
#include "toolkit/ext_controls.h"

namespace {

constexpr int kKeyStep = 8;
constexpr int kPageStep = 64;

}  // namespace

SplitterBar::SplitterBar() {
  setCursor(Qt::SplitVCursor);
  setFocusPolicy(Qt::StrongFocus);
}

void SplitterBar::MoveTo(int top) {
  top = std::max(minTop, std::min(top, maxTop));
  if (top == y()) return;
  move(x(), top);
  if (moved) moved();
}

void SplitterBar::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return QWidget::mousePressEvent(event);
  grabbedAt_ = event->position().toPoint().y();
  dragging_ = true;
}

void SplitterBar::mouseMoveEvent(QMouseEvent* event) {
  if (!dragging_) return QWidget::mouseMoveEvent(event);
  MoveTo(mapToParent(event->position().toPoint()).y() - grabbedAt_);
}

void SplitterBar::mouseReleaseEvent(QMouseEvent* event) {
  dragging_ = false;
  QWidget::mouseReleaseEvent(event);
}

void SplitterBar::keyPressEvent(QKeyEvent* event) {
  switch (event->key()) {
    case Qt::Key_Up:
      return MoveTo(y() - kKeyStep);
    case Qt::Key_Down:
      return MoveTo(y() + kKeyStep);
    case Qt::Key_PageUp:
      return MoveTo(y() - kPageStep);
    case Qt::Key_PageDown:
      return MoveTo(y() + kPageStep);
    case Qt::Key_Home:
      return MoveTo(minTop);
    case Qt::Key_End:
      return MoveTo(maxTop);
    default:
      QWidget::keyPressEvent(event);
  }
}

void SplitterBar::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  // A few dots in the middle, as grips are drawn, and the focus frame.
  painter.setPen(palette().color(QPalette::Mid));
  const int middle = height() / 2;
  for (int dot = -2; dot <= 2; ++dot) painter.drawPoint(width() / 2 + dot * 4, middle);
  if (hasFocus()) {
    QStyleOptionFocusRect option;
    option.initFrom(this);
    style()->drawPrimitive(QStyle::PE_FrameFocusRect, &option, &painter, this);
  }
}

TSplitter::TSplitter(TComponent* AOwner)
    : TWinControl(AOwner, NewControlData([] { return new SplitterBar; }, QPalette::Window, clBtnFace)),
      MinTop([this] { return minTop_; },
             [this](const int& value) {
               minTop_ = value;
               ControlAccess::WidgetAs<SplitterBar>(this)->minTop = value;
             }),
      MaxTop([this] { return maxTop_; },
             [this](const int& value) {
               maxTop_ = value;
               ControlAccess::WidgetAs<SplitterBar>(this)->maxTop = value;
             }) {
  ControlAccess::WidgetAs<SplitterBar>(this)->moved = [this] {
    CallGuarded(this, [this] {
      if (OnMoved) OnMoved(this);
    });
  };
}
