// Controls: TControl (position, size, state, colours, font, hints),
// TWinControl (a window with a handle, children, tab order and message
// dispatch) and TGraphicControl (drawn inside its parent, no handle).
#pragma once

#include <windows.h>

#include <memory>

#include "toolkit/classes.h"
#include "toolkit/colors.h"
#include "toolkit/events.h"
#include "toolkit/graphics.h"
#include "toolkit/property.h"
#include "toolkit/strings.h"

#ifndef EM_SCROLLCARET
#define EM_SCROLLCARET 0x00B7
#endif

// A window message as a control's dispatch receives it.
struct TMessage {
  UINT Msg;
  WPARAM WParam;
  LPARAM LParam;
  LRESULT Result;
};

enum TAlign { alNone, alTop, alBottom, alLeft, alRight, alClient };
// The sides of its parent a control keeps its distance to as the parent
// changes size (TControl::Anchors).
enum TAnchorKind { akLeft = 1, akTop = 2, akRight = 4, akBottom = 8 };
using TAnchors = unsigned;  // TAnchorKind flags combined with |
enum TAlignment { taLeftJustify, taRightJustify, taCenter };

class TWinControl;
class TPopupMenu;
struct ControlData;

class TControl : public TComponent {
 public:
  ~TControl() override;

  // Setting the parent places the control inside it (coordinates are
  // relative to the parent's client area); null takes it out.
  Property<TWinControl*> Parent;
  Property<int> Left;
  Property<int> Top;
  Property<int> Width;
  Property<int> Height;
  // alBottom keeps the control along the bottom of its parent at full width,
  // alTop along its top (below those placed there before), and alClient
  // fills the rest of the parent. alLeft and alRight are not kept.
  Property<TAlign> Align;
  // How the control follows its parent's size: it keeps its distance to
  // each side it is anchored to, as it stood when its bounds or anchors
  // were last set; anchored to both left and right (top and bottom) it
  // stretches. Anchored to neither left nor right (top nor bottom), its
  // centre keeps its place in proportion. akLeft | akTop, the default,
  // leaves the control where it was put.
  Property<TAnchors> Anchors;
  Property<bool> Enabled;
  Property<bool> Visible;
  Property<TColor> Color;
  Property<String> Hint;
  // The hint shows as a tool tip while ShowHint is true, followed by the
  // key that does what the control does, when there is one:
  // "Clear (Ctrl+L)".
  Property<bool> ShowHint;
  Property<TShortCut> HintShortCut;
  // Shown on a right click or the menu key over the control (see
  // toolkit/menus.h); null shows the control's own menu, if it has one.
  // Reads null once the menu is destroyed.
  Property<TPopupMenu*> PopupMenu;
  // What a screen reader speaks for the control. Empty: the control's own
  // text (a button's caption, a label's text).
  Property<String> AccessibleName;
  TFont* const Font;

  void SetBounds(int ALeft, int ATop, int AWidth, int AHeight);
  void Show();

 protected:
  // Widget classes construct their own control data (see ControlAccess).
  TControl(TComponent* AOwner, std::unique_ptr<ControlData> data);

 private:
  friend class ControlAccess;
  std::unique_ptr<ControlData> data_;
};

class TGraphicControl : public TControl {
 protected:
  using TControl::TControl;
};

// A control with a window handle. Handles are never reused: once a control
// is destroyed its handle stays invalid for good.
class TWinControl : public TControl {
 public:
  ~TWinControl() override;

  ReadOnlyProperty<HWND> Handle;
  // Position in the parent's tab order; setting it moves the control there
  // and shifts the others.
  Property<int> TabOrder;
  // Accepted for compatibility; drawing is always double-buffered.
  Property<bool> DoubleBuffered;
  // Sunken 3-D border (true) or a flat one.
  Property<bool> Ctl3D;
  ReadOnlyProperty<int> ControlCount;
  IndexedProperty<TControl*> Controls;

  void SetFocus();

  // A key pressed while the control has the focus.
  TKeyEvent OnKeyDown;

  // Handles a message sent or posted to this control's window. Derived
  // classes route their own message numbers and hand the rest on to the
  // base class. Runs on the GUI thread.
  virtual void Dispatch(TMessage& Message);
  // Dispatches a message directly, as SendMessageA does; returns its result.
  LRESULT Perform(UINT Msg, WPARAM WParam, LPARAM LParam);

  // Takes the window out of service: from then on posts to it fail and
  // IsWindow is false; every message still queued for it goes to
  // DropMessage. A derived class that posts data to itself calls this first
  // in its destructor, so that its own DropMessage frees that data; the
  // toolkit calls it again, harmlessly, during destruction.
  void DestroyHandle();

 protected:
  TWinControl(TComponent* AOwner, std::unique_ptr<ControlData> data);
  // Receives each message still queued when the window goes away.
  virtual void DropMessage(TMessage& Message);

 private:
  friend class ControlAccess;
};
