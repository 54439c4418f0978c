// TControl and TWinControl: geometry, state, colours, hints, parents,
// children, tab order, handles and message dispatch.
#include "toolkit/controls.h"

#include <QEvent>
#include <QFrame>
#include <QKeyEvent>
#include <QObject>
#include <QPalette>
#include <QWidget>

#include <kestrix/window_messaging.h>

#include <algorithm>

#include "control_data.h"
#include "event_guard.h"
#include "menu_data.h"
#include "message_loop.h"
#include "qt_text.h"
#include "shortcut_keys.h"
#include "toolkit/forms.h"

namespace {

template <typename T>
void Erase(std::vector<T>& items, T item) {
  items.erase(std::remove(items.begin(), items.end(), item), items.end());
}

// Keeps an aligned control in place in its parent: alTop ones stacked along
// the top in the order they were placed, alBottom along the bottom, and an
// alClient one filling what lies between.
class AlignDock : public QObject {
 public:
  AlignDock(TControl* control, QWidget* docked) : QObject(docked), control_(control), docked_(docked) {}
  void Apply() {
    QWidget* parent = docked_->parentWidget();
    const TWinControl* parentControl = ControlAccess::Data(control_).parent;
    if (!parent || !parentControl) return;
    const TAlign align = ControlAccess::Data(control_).align;
    int top = 0, bottom = 0, topBeforeThis = -1;
    for (TControl* sibling : ControlAccess::Data(parentControl).children) {
      const ControlData& data = ControlAccess::Data(sibling);
      if (sibling == control_ && align == alTop) topBeforeThis = top;
      if (!data.visible || !data.widget) continue;
      if (data.align == alTop) top += data.widget->height();
      if (data.align == alBottom) bottom += data.widget->height();
    }
    const int height = docked_->height();
    if (align == alBottom)
      docked_->setGeometry(0, parent->height() - height, parent->width(), height);
    else if (align == alTop)
      docked_->setGeometry(0, std::max(topBeforeThis, 0), parent->width(), height);
    else
      docked_->setGeometry(0, top, parent->width(), std::max(parent->height() - top - bottom, 0));
  }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (watched == docked_->parentWidget() && event->type() == QEvent::Resize) Apply();
    return false;
  }

 private:
  TControl* control_;
  QWidget* docked_;
};

void ApplyAlign(TControl* control) {
  ControlData& data = ControlAccess::Data(control);
  QWidget* widget = data.widget;
  delete data.alignKeeper.data();
  if (!widget || (data.align != alBottom && data.align != alTop && data.align != alClient) || !widget->parentWidget())
    return;
  auto* dock = new AlignDock(control, widget);
  widget->parentWidget()->installEventFilter(dock);
  data.alignKeeper = dock;
  dock->Apply();
}

void ApplyVisibility(TControl* control) {
  ControlData& data = ControlAccess::Data(control);
  if (!data.widget) return;
  // A control without a parent is shown only if it is a window of its own.
  bool isForm = dynamic_cast<TForm*>(control) != nullptr;
  data.widget->setVisible(data.visible && (data.parent || isForm));
}

void ApplyHint(ControlData& data) {
  if (!data.widget) return;
  String tip = data.hint;
  if (data.hintShortCut != 0) tip += (tip.IsEmpty() ? "" : " ") + ("(" + ShortCutToText(data.hintShortCut) + ")");
  data.widget->setToolTip(data.showHint ? ToQString(tip) : QString());
}

// Hands the keys pressed in a window control to its OnKeyDown first.
class KeyDownFilter : public QObject {
 public:
  KeyDownFilter(TWinControl* control, QWidget* widget) : QObject(widget), control_(control) {}

 protected:
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() != QEvent::KeyPress || !control_->OnKeyDown) return false;
    auto* press = static_cast<QKeyEvent*>(event);
    unsigned short key = static_cast<unsigned short>(ToVirtualKey(press->key()));
    if (key == 0) return false;
    TShiftState shift = 0;
    if (press->modifiers() & Qt::ShiftModifier) shift |= ssShift;
    if (press->modifiers() & Qt::AltModifier) shift |= ssAlt;
    if (press->modifiers() & Qt::ControlModifier) shift |= ssCtrl;
    CallGuarded(control_, [&] { control_->OnKeyDown(control_, key, shift); });
    return key == 0;
  }

 private:
  TWinControl* control_;
};

void SetPopupMenu(TControl* control, TPopupMenu* popup) {
  ControlData& data = ControlAccess::Data(control);
  QWidget* widget = data.widget;
  if (!widget) return;
  if (data.popupMenuAlive) MenuAccess::RemoveHost(data.popupMenu, widget);
  data.popupMenu = popup;
  data.popupMenuAlive = popup ? MenuAccess::Submenu(popup->Items) : nullptr;
  if (!popup) {
    widget->setContextMenuPolicy(Qt::DefaultContextMenu);
    return;
  }
  widget->setContextMenuPolicy(Qt::CustomContextMenu);
  if (!data.popupMenuConnected) {
    // Qt asks for the menu on a right click and on the menu key alike.
    QObject::connect(widget, &QWidget::customContextMenuRequested, [control](const QPoint& pos) {
      ControlData& d = ControlAccess::Data(control);
      if (d.popupMenuAlive && d.widget) MenuAccess::ShowFor(d.popupMenu, control, d.widget, pos);
    });
    data.popupMenuConnected = true;
  }
  MenuAccess::AddHost(popup, widget);
}

void ApplyColor(ControlData& data) {
  QWidget* widget = data.colorWidget ? data.colorWidget.data() : data.widget.data();
  if (!widget) return;
  PaintBackColor(widget, data.colorRole, data.color);
  if (data.colorRole == QPalette::Window) widget->setAutoFillBackground(true);
}

// The outer size of a window minus its client size (0 for child controls
// and for windows not yet decorated).
QSize FrameExtra(QWidget* widget) {
  if (!widget->isWindow()) return QSize(0, 0);
  return widget->frameGeometry().size() - widget->size();
}

QRect OuterGeometry(QWidget* widget) {
  if (!widget->isWindow()) return widget->geometry();
  return QRect(widget->frameGeometry().topLeft(), widget->size() + FrameExtra(widget));
}

void SetOuterGeometry(QWidget* widget, int left, int top, int width, int height) {
  QSize extra = FrameExtra(widget);
  int clientWidth = std::max(0, width - extra.width());
  int clientHeight = std::max(0, height - extra.height());
  if (widget->isWindow()) {
    widget->move(left, top);
    if (widget->minimumSize() == widget->maximumSize()) widget->setFixedSize(clientWidth, clientHeight);
    widget->resize(clientWidth, clientHeight);
  } else {
    widget->setGeometry(left, top, clientWidth, clientHeight);
  }
}

void CollectTabChain(TWinControl* control, std::vector<QWidget*>& chain) {
  for (TWinControl* child : ControlAccess::Data(control).tabOrder) {
    QWidget* widget = ControlAccess::Widget(child);
    if (widget && (widget->focusPolicy() & Qt::TabFocus)) chain.push_back(widget);
    CollectTabChain(child, chain);
  }
}

}  // namespace

std::unique_ptr<ControlData> NewControlData(const std::function<QWidget*()>& create, QPalette::ColorRole colorRole,
                                            TColor defaultColor) {
  Application->Initialize();
  return std::make_unique<ControlData>(create(), colorRole, defaultColor);
}

void RealignChildren(TControl* parent) {
  // Hidden windows get no resize events until shown: place docked children
  // at once.
  for (TControl* child : ControlAccess::Data(parent).children) {
    if (auto* dock = static_cast<AlignDock*>(ControlAccess::Data(child).alignKeeper.data())) dock->Apply();
    ApplyAnchors(child);
  }
}

void ApplyTabChain(TWinControl* anyControlOfTheForm) {
  TWinControl* root = anyControlOfTheForm;
  while (ControlAccess::Data(root).parent) root = ControlAccess::Data(root).parent;
  std::vector<QWidget*> chain;
  CollectTabChain(root, chain);
  for (size_t i = 1; i < chain.size(); ++i) QWidget::setTabOrder(chain[i - 1], chain[i]);
}

TControl::TControl(TComponent* AOwner, std::unique_ptr<ControlData> data)
    : TComponent(AOwner),
      Parent([this] { return data_->parent; },
             [this](TWinControl* const& value) {
               ControlData& d = *data_;
               if (d.parent == value) return;
               auto* self = dynamic_cast<TWinControl*>(this);
               if (d.parent) {
                 ControlData& old = ControlAccess::Data(d.parent);
                 Erase(old.children, static_cast<TControl*>(this));
                 if (self) Erase(old.tabOrder, self);
               }
               d.parent = value;
               if (d.widget) d.widget->setParent(value ? ControlAccess::Widget(value) : nullptr);
               if (value) {
                 ControlData& now = ControlAccess::Data(value);
                 now.children.push_back(this);
                 if (self) {
                   now.tabOrder.push_back(self);
                   ApplyTabChain(self);
                 }
               }
               ApplyAlign(this);
               RecordAnchors(this);
               ApplyVisibility(this);
             }),
      Left([this] { return data_->widget ? OuterGeometry(data_->widget).x() : 0; },
           [this](const int& value) { SetBounds(value, Top, Width, Height); }),
      Top([this] { return data_->widget ? OuterGeometry(data_->widget).y() : 0; },
          [this](const int& value) { SetBounds(Left, value, Width, Height); }),
      Width([this] { return data_->widget ? OuterGeometry(data_->widget).width() : 0; },
            [this](const int& value) { SetBounds(Left, Top, value, Height); }),
      Height([this] { return data_->widget ? OuterGeometry(data_->widget).height() : 0; },
             [this](const int& value) { SetBounds(Left, Top, Width, value); }),
      Align([this] { return data_->align; },
            [this](const TAlign& value) {
              data_->align = value;
              ApplyAlign(this);
            }),
      Anchors([this] { return data_->anchors; },
              [this](const TAnchors& value) {
                data_->anchors = value;
                RecordAnchors(this);
              }),
      Enabled([this] { return data_->widget && !data_->widget->testAttribute(Qt::WA_ForceDisabled); },
              [this](const bool& value) {
                if (data_->widget) data_->widget->setEnabled(value);
              }),
      Visible([this] { return data_->visible; },
              [this](const bool& value) {
                data_->visible = value;
                ApplyVisibility(this);
              }),
      Color([this] { return data_->color; },
            [this](const TColor& value) {
              data_->color = value;
              ApplyColor(*data_);
            }),
      Hint([this] { return data_->hint; },
           [this](const String& value) {
             data_->hint = value;
             ApplyHint(*data_);
           }),
      ShowHint([this] { return data_->showHint; },
               [this](const bool& value) {
                 data_->showHint = value;
                 ApplyHint(*data_);
               }),
      HintShortCut([this] { return data_->hintShortCut; },
                   [this](const TShortCut& value) {
                     data_->hintShortCut = value;
                     ApplyHint(*data_);
                   }),
      PopupMenu([this] { return data_->popupMenuAlive ? data_->popupMenu : nullptr; },
                [this](TPopupMenu* const& value) { SetPopupMenu(this, value); }),
      AccessibleName([this] { return data_->widget ? FromQString(data_->widget->accessibleName()) : String(); },
                     [this](const String& value) {
                       if (data_->widget) data_->widget->setAccessibleName(ToQString(value));
                     }),
      Font(ControlAccess::NewFont([widget = data->widget] { return widget.data(); })),
      data_(std::move(data)) {}

TControl::~TControl() {
  if (data_->parent) {
    ControlData& parent = ControlAccess::Data(data_->parent);
    Erase(parent.children, static_cast<TControl*>(this));
  }
  delete Font;
  if (QWidget* widget = data_->widget) {
    // The widget may still signal while it is taken apart (a combo box
    // emptying its list); the handlers of this control are gone by then.
    // Only they go: others still hear the widget's end (the accessibility
    // cache forgets its interface, whose widget would otherwise dangle).
    QObject::disconnect(widget, nullptr, widget, nullptr);
    delete widget;
  }
}

void TControl::SetBounds(int ALeft, int ATop, int AWidth, int AHeight) {
  if (!data_->widget) return;
  SetOuterGeometry(data_->widget, ALeft, ATop, AWidth, AHeight);
  ApplyAlign(this);
  RecordAnchors(this);
  RealignChildren(this);
}

void TControl::Show() { Visible = true; }

TWinControl::TWinControl(TComponent* AOwner, std::unique_ptr<ControlData> data)
    : TControl(AOwner, std::move(data)),
      Handle([this] { return ControlAccess::Data(this).handle; }),
      TabOrder(
          [this] {
            ControlData& d = ControlAccess::Data(this);
            if (!d.parent) return -1;
            const auto& order = ControlAccess::Data(d.parent).tabOrder;
            return static_cast<int>(std::find(order.begin(), order.end(), this) - order.begin());
          },
          [this](const int& value) {
            ControlData& d = ControlAccess::Data(this);
            if (!d.parent) return;
            auto& order = ControlAccess::Data(d.parent).tabOrder;
            Erase(order, this);
            int position = std::clamp(value, 0, static_cast<int>(order.size()));
            order.insert(order.begin() + position, this);
            ApplyTabChain(this);
          }),
      DoubleBuffered([this] { return ControlAccess::Data(this).doubleBuffered; },
                     [this](const bool& value) { ControlAccess::Data(this).doubleBuffered = value; }),
      Ctl3D([this] { return ControlAccess::Data(this).ctl3D; },
            [this](const bool& value) {
              ControlData& d = ControlAccess::Data(this);
              d.ctl3D = value;
              if (auto* frame = qobject_cast<QFrame*>(d.widget.data()))
                frame->setFrameStyle(value ? QFrame::StyledPanel | QFrame::Sunken : QFrame::Box | QFrame::Plain);
            }),
      ControlCount([this] { return static_cast<int>(ControlAccess::Data(this).children.size()); }),
      Controls([this](int index) -> TControl* {
        const auto& children = ControlAccess::Data(this).children;
        if (index < 0 || index >= static_cast<int>(children.size())) return nullptr;
        return children[static_cast<size_t>(index)];
      }) {
  ControlAccess::Data(this).handle = CreateControlWindow(this, ControlAccess::Data(this).topLevel);
  if (QWidget* widget = ControlAccess::Widget(this)) widget->installEventFilter(new KeyDownFilter(this, widget));
}

TWinControl::~TWinControl() {
  DestroyHandle();
  // TControl's destructor no longer sees a window control: leave the tab
  // order here.
  if (TWinControl* parent = ControlAccess::Data(this).parent) Erase(ControlAccess::Data(parent).tabOrder, this);
  // As the classic toolkit does, a window destroys the controls it holds.
  auto& children = ControlAccess::Data(this).children;
  while (!children.empty()) delete children.back();
}

void TWinControl::SetFocus() {
  if (QWidget* widget = ControlAccess::Widget(this)) widget->setFocus(Qt::OtherFocusReason);
}

void TWinControl::Dispatch(TMessage& Message) { Message.Result = 0; }

LRESULT TWinControl::Perform(UINT Msg, WPARAM WParam, LPARAM LParam) {
  TMessage message{Msg, WParam, LParam, 0};
  Dispatch(message);
  return message.Result;
}

void TWinControl::DestroyHandle() {
  for (const MSG& left : DestroyWindowHandle(ControlAccess::Data(this).handle)) {
    TMessage message{left.message, left.wParam, left.lParam, 0};
    CallGuarded(this, [&] { DropMessage(message); });
  }
}

void TWinControl::DropMessage(TMessage&) {}
