// TForm: a top-level window with the classic border styles, centring and
// the close protocol.
#include <QCloseEvent>
#include <QGuiApplication>
#include <QIcon>
#include <QKeyEvent>
#include <QPointer>
#include <QScreen>
#include <QWidget>

#include "application_access.h"
#include "control_data.h"
#include "event_guard.h"
#include "picture_data.h"
#include "qt_text.h"
#include "toolkit/forms.h"

namespace {

struct FormState {
  TFormBorderStyle borderStyle = bsSizeable;
  TBorderIcons borderIcons = biSystemMenu | biMinimize | biMaximize;
  TPosition position = poDesigned;
  bool closesWithKeys = false;
};

class FormWidget : public QWidget {
 public:
  FormState state;
  std::function<void(QCloseEvent*)> onClose;
  std::function<void()> onShow;

 protected:
  void closeEvent(QCloseEvent* event) override {
    if (onClose)
      onClose(event);
    else
      event->accept();
  }
  void showEvent(QShowEvent* event) override {
    QWidget::showEvent(event);
    if (onShow) onShow();
  }
  // A key no control took (the find box takes its Escape) comes here.
  void keyPressEvent(QKeyEvent* event) override {
    const Qt::KeyboardModifiers modifiers = event->modifiers() & ~Qt::KeypadModifier;
    const bool escape = event->key() == Qt::Key_Escape && modifiers == Qt::NoModifier;
    const bool ctrlW = event->key() == Qt::Key_W && modifiers == Qt::ControlModifier;
    if (state.closesWithKeys && (escape || ctrlW)) {
      close();
      return;
    }
    QWidget::keyPressEvent(event);
  }
};

FormWidget* Window(const TForm* form) { return ControlAccess::WidgetAs<FormWidget>(form); }

bool FixedSize(TFormBorderStyle style) { return style == bsSingle; }

void ApplyBorder(QWidget* window, const FormState& state) {
  bool wasVisible = window->isVisible();
  Qt::WindowFlags flags = Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint;
  if (state.borderIcons & biSystemMenu) flags |= Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
  if (state.borderIcons & biMinimize) flags |= Qt::WindowMinimizeButtonHint;
  if (state.borderIcons & biMaximize && !FixedSize(state.borderStyle)) flags |= Qt::WindowMaximizeButtonHint;
  window->setWindowFlags(flags);
  if (FixedSize(state.borderStyle)) {
    window->setFixedSize(window->size());
  } else {
    window->setMinimumSize(0, 0);
    window->setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
  }
  if (wasVisible) window->show();
}

void CenterOnScreen(QWidget* window) {
  QScreen* screen = window->screen() ? window->screen() : QGuiApplication::primaryScreen();
  if (!screen) return;
  QRect frame = window->frameGeometry();
  frame.moveCenter(screen->availableGeometry().center());
  window->move(frame.topLeft());
}

void SetClientSize(QWidget* window, const FormState& state, int width, int height) {
  if (FixedSize(state.borderStyle))
    window->setFixedSize(std::max(0, width), std::max(0, height));
  else
    window->resize(std::max(0, width), std::max(0, height));
}

std::unique_ptr<ControlData> NewFormData() {
  auto data = NewControlData([] { return new FormWidget; }, QPalette::Window, clBtnFace);
  data->visible = false;
  data->topLevel = true;
  return data;
}

FormState& State(const TForm* form) { return Window(form)->state; }

}  // namespace

TForm::TForm(TComponent* AOwner)
    : TWinControl(AOwner, NewFormData()),
      Caption([this] { return FromQString(Window(this)->windowTitle()); },
              [this](const String& value) { Window(this)->setWindowTitle(ToQString(value)); }),
      ClientWidth([this] { return Window(this)->width(); },
                  [this](const int& value) {
                    SetClientSize(Window(this), State(this), value, Window(this)->height());
                    RealignChildren(this);
                  }),
      ClientHeight([this] { return Window(this)->height(); },
                   [this](const int& value) {
                     SetClientSize(Window(this), State(this), Window(this)->width(), value);
                     RealignChildren(this);
                   }),
      BorderStyle([this] { return State(this).borderStyle; },
                  [this](const TFormBorderStyle& value) {
                    State(this).borderStyle = value;
                    ApplyBorder(Window(this), State(this));
                  }),
      BorderIcons([this] { return State(this).borderIcons; },
                  [this](const TBorderIcons& value) {
                    State(this).borderIcons = value;
                    ApplyBorder(Window(this), State(this));
                  }),
      Position([this] { return State(this).position; },
               [this](const TPosition& value) { State(this).position = value; }),
      ClosesWithKeys([this] { return State(this).closesWithKeys; },
                     [this](const bool& value) { State(this).closesWithKeys = value; }),
      WindowState(
          [this] {
            const Qt::WindowStates state = Window(this)->windowState();
            return state & Qt::WindowMinimized ? wsMinimized : state & Qt::WindowMaximized ? wsMaximized : wsNormal;
          },
          [this](const TWindowState& value) {
            FormWidget* window = Window(this);
            if (value == wsMinimized)
              window->showMinimized();
            else if (value == wsMaximized)
              window->showMaximized();
            else
              window->showNormal();
          }),
      Icon(new TIcon) {
  FormWidget* window = Window(this);
  window->onClose = [this](QCloseEvent* event) {
    TCloseAction action = caHide;
    bool handled = true;
    CallGuarded(this, [&] {
      handled = false;
      if (OnClose) OnClose(this, action);
      handled = true;
    });
    // A handler that failed keeps the window open.
    if (!handled || action == caNone) {
      event->ignore();
      return;
    }
    if (Application->MainForm.Get() == this) {
      event->accept();
      ControlAccess::Data(this).visible = false;
      Application->Terminate();
      return;
    }
    event->accept();
    ControlAccess::Data(this).visible = false;
  };
  window->onShow = [this] {
    ControlAccess::Data(this).visible = true;
    if (State(this).position == poScreenCenter) CenterOnScreen(Window(this));
  };
  Icon->OnChange = [this](TObject*) { Window(this)->setWindowIcon(QIcon(ControlAccess::Picture(Icon).pixmap)); };
  ApplyBorder(window, State(this));
}

TForm::~TForm() {
  DestroyHandle();
  ApplicationAccess::FormDestroyed(this);
  if (FormWidget* window = Window(this)) {
    window->onClose = nullptr;
    window->onShow = nullptr;
  }
  delete Icon;
}

void TForm::Show() { Visible = true; }

void TForm::Close() { Window(this)->close(); }

void TForm::Dispatch(TMessage& Message) {
  if (Message.Msg == WM_CLOSE) {
    Close();
    Message.Result = 0;
    return;
  }
  TWinControl::Dispatch(Message);
}
