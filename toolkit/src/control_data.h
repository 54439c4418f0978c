// What every control keeps behind its public class: its Qt widget and the
// state the widget does not hold. Widget classes reach it through
// ControlAccess.
#pragma once

#include <QMenu>
#include <QPalette>
#include <QPointer>
#include <QWidget>

#include <functional>
#include <memory>
#include <vector>

#include "toolkit/com_controls.h"
#include "toolkit/controls.h"

struct FontBinding {
  std::function<QWidget*()> widget;
};

struct ControlData {
  ControlData(QWidget* widget, QPalette::ColorRole colorRole, TColor defaultColor)
      : widget(widget), colorRole(colorRole), color(defaultColor) {}

  QPointer<QWidget> widget;
  // The palette role that the control's Color paints.
  QPalette::ColorRole colorRole;
  // The widget whose palette carries Color, when not the control's own:
  // a memo colours its text area only. Qt passes a widget's palette on to
  // its children, and each new palette makes the style draw (and cache)
  // the children's parts afresh, so a colour changed at every open and
  // close must not reach the scroll bars.
  QPointer<QWidget> colorWidget;
  TColor color;
  TWinControl* parent = nullptr;
  TAlign align = alNone;
  // Keeps an aligned control in place when its parent resizes.
  QPointer<QObject> alignKeeper;
  TAnchors anchors = akLeft | akTop;
  // Where an anchored control stood, and its parent's size then: anchors
  // keep the distances of that moment.
  QRect anchorBounds;
  QSize anchorParentSize;
  QPointer<QObject> anchorKeeper;
  bool visible = true;
  String hint;
  bool showHint = false;
  TShortCut hintShortCut = 0;
  TPopupMenu* popupMenu = nullptr;
  QPointer<QMenu> popupMenuAlive;  // the popup's own menu: null once the popup is gone
  bool popupMenuConnected = false;

  // Window controls only.
  HWND handle = nullptr;
  bool topLevel = false;            // a form: hears WM_DEVICECHANGE
  std::vector<TControl*> children;  // in the order they were placed
  std::vector<TWinControl*> tabOrder;
  bool doubleBuffered = false;
  bool ctl3D = true;
};

class ControlAccess {
 public:
  static ControlData& Data(const TControl* control) { return *control->data_; }
  static QWidget* Widget(const TControl* control) { return control->data_->widget; }
  template <typename W>
  static W* WidgetAs(const TControl* control) {
    return static_cast<W*>(Widget(control));
  }
  static TFont* NewFont(std::function<QWidget*()> widget);
  static void DropMessage(TWinControl* control, TMessage& message) { control->DropMessage(message); }
  static TStatusPanels* NewStatusPanels(std::function<void()> changed);
  static const std::vector<TStatusPanel*>& Panels(const TStatusPanels* panels) { return panels->panels_; }
  static struct PictureData& Picture(const TPicture* picture) { return *picture->data_; }
};

// The widget's colour for a TColor.
QColor ToQColor(TColor color);

// Colour schemes (color_scheme.cpp). The system colour of the scheme in
// effect, false when the classic table holds. PaintBackColor and
// PaintTextColor colour a widget's background role or its text as the
// scheme draws the colour given, and keep the colour given so that a new
// scheme draws it afresh; GivenTextColor tells the text colour given.
bool SchemeSystemColor(unsigned index, TColor& color);
void PaintBackColor(QWidget* widget, QPalette::ColorRole role, TColor back);
void PaintTextColor(QWidget* widget, TColor text);
bool GivenTextColor(const QWidget* widget, TColor& text);

// Puts the aligned and anchored children of a control that changed size in
// place.
void RealignChildren(TControl* parent);

// Anchors (anchors.cpp). RecordAnchors notes where the control stands now
// and its parent's size, and keeps it anchored from then on; ApplyAnchors
// places it by its anchors for the parent's present size.
void RecordAnchors(TControl* control);
void ApplyAnchors(TControl* control);

// Places the window controls of a form into Qt's tab chain in their tab
// order, parents before their children.
void ApplyTabChain(TWinControl* anyControlOfTheForm);

// Starts the toolkit if needed, then makes a control's data around the
// widget that create() returns.
std::unique_ptr<ControlData> NewControlData(const std::function<QWidget*()>& create, QPalette::ColorRole colorRole,
                                            TColor defaultColor);
