// Keys and redraws for tests and benchmarks: a key goes to the control's
// widget as Qt's own key events, so the control's key handling is what runs.
#include <QApplication>
#include <QKeyEvent>
#include <QWidget>

#include "control_data.h"
#include "toolkit/controls.h"
#include "toolkit/forms.h"
#include "toolkit/testing.h"

namespace {

int QtKeyOf(WORD virtualKey) {
  switch (virtualKey) {
    case VK_HOME:
      return Qt::Key_Home;
    case VK_END:
      return Qt::Key_End;
    case VK_PRIOR:
      return Qt::Key_PageUp;
    case VK_NEXT:
      return Qt::Key_PageDown;
    case VK_UP:
      return Qt::Key_Up;
    case VK_DOWN:
      return Qt::Key_Down;
    case VK_RETURN:
      return Qt::Key_Return;
    case VK_ESCAPE:
      return Qt::Key_Escape;
    default:
      return virtualKey >= 'A' && virtualKey <= 'Z' ? Qt::Key_A + (virtualKey - 'A') : Qt::Key_unknown;
  }
}

}  // namespace

void PressKeyForTesting(TWinControl* Control, WORD VirtualKey, bool Ctrl, bool Shift) {
  Application->Initialize();
  QWidget* widget = ControlAccess::Widget(Control);
  Qt::KeyboardModifiers modifiers;
  if (Ctrl) modifiers |= Qt::ControlModifier;
  if (Shift) modifiers |= Qt::ShiftModifier;
  const int key = QtKeyOf(VirtualKey);
  QKeyEvent press(QEvent::KeyPress, key, modifiers);
  QApplication::sendEvent(widget, &press);
  QKeyEvent release(QEvent::KeyRelease, key, modifiers);
  QApplication::sendEvent(widget, &release);
}

void RepaintForTesting(TControl* Control) {
  Application->Initialize();
  ControlAccess::Widget(Control)->repaint();
}
