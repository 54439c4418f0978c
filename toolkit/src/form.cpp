// TForm: a top-level window with the classic border styles, centring and
// the close protocol.
#include <QAction>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QIcon>
#include <QKeyEvent>
#include <QMenu>
#include <QPointer>
#include <QScreen>
#include <QWidget>

#include "application_access.h"
#include "control_data.h"
#include "event_guard.h"
#include "menu_data.h"
#include "picture_data.h"
#include "qt_text.h"
#include "toolkit/forms.h"
#include "toolkit/translation.h"

namespace {

struct FormState {
  TFormBorderStyle borderStyle = bsSizeable;
  TBorderIcons borderIcons = biSystemMenu | biMinimize | biMaximize;
  TPosition position = poDesigned;
  bool closesWithKeys = false;
  QSize minimum{0, 0};  // Constraints
  // The outer top-left corner and client size of the window while neither
  // maximised nor minimised, last seen.
  QRect restored;
};

bool Restored(const QWidget* window) {
  return !(window->windowState() & (Qt::WindowMaximized | Qt::WindowMinimized | Qt::WindowFullScreen));
}

class FormWidget : public QWidget {
 public:
  FormState state;
  std::function<void(QCloseEvent*)> onClose;
  std::function<void()> onShow;
  std::function<void()> onResize;

  void NoteRestored() {
    if (Restored(this)) state.restored = QRect(pos(), size());
  }

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
  void moveEvent(QMoveEvent* event) override {
    QWidget::moveEvent(event);
    NoteRestored();
  }
  void resizeEvent(QResizeEvent* event) override {
    QWidget::resizeEvent(event);
    NoteRestored();
    if (onResize) onResize();
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
    window->setMinimumSize(state.minimum);
    window->setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
  }
  if (wasVisible) window->show();
}

// The screen that shows most of the frame, or the primary one.
QScreen* ScreenShowing(const QRect& frame) {
  QScreen* best = QGuiApplication::primaryScreen();
  qint64 bestArea = 0;
  for (QScreen* screen : QGuiApplication::screens()) {
    const QRect common = screen->availableGeometry().intersected(frame);
    const qint64 area = qint64(common.width()) * common.height();
    if (area > bestArea) {
      best = screen;
      bestArea = area;
    }
  }
  return best;
}

// The window's own items of the system menu, then the program's.
void PopUpSystemMenu(TForm* form, FormWidget* window) {
  auto* menu = new QMenu(window);
  menu->setAttribute(Qt::WA_DeleteOnClose);
  menu->setAccessibleName(ToQString(Tr("SystemMenu", "系统菜单")));
  const FormState& state = window->state;
  const bool restored = Restored(window);
  menu->addAction(ToQString(Tr("SystemMenu", "还原")), window, &QWidget::showNormal)->setEnabled(!restored);
  menu->addAction(ToQString(Tr("SystemMenu", "最小化")), window, &QWidget::showMinimized)
      ->setEnabled(state.borderIcons & biMinimize);
  menu->addAction(ToQString(Tr("SystemMenu", "最大化")), window, &QWidget::showMaximized)
      ->setEnabled(!FixedSize(state.borderStyle) && (state.borderIcons & biMaximize) &&
                   !(window->windowState() & Qt::WindowMaximized));
  menu->addSeparator();
  QAction* close = menu->addAction(ToQString(Tr("SystemMenu", "关闭")), window, &QWidget::close);
  close->setShortcut(QKeySequence(Qt::ALT | Qt::Key_F4));
  const QList<QAction*> own = MenuAccess::Submenu(form->SystemMenu)->actions();
  if (!own.isEmpty()) {
    menu->addSeparator();
    menu->addActions(own);
  }
  menu->popup(window->mapToGlobal(QPoint(0, 0)));
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

QRect RestoredGeometry(const TForm* form) {
  const FormWidget* window = Window(form);
  return Restored(window) ? QRect(window->pos(), window->size()) : window->state.restored;
}

}  // namespace

TSizeConstraints::TSizeConstraints(std::function<void()> changed)
    : MinWidth([this] { return minWidth_; },
               [this](const int& value) {
                 minWidth_ = std::max(0, value);
                 changed_();
               }),
      MinHeight([this] { return minHeight_; },
                [this](const int& value) {
                  minHeight_ = std::max(0, value);
                  changed_();
                }),
      changed_(std::move(changed)) {}

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
               [this](const TPosition& value) {
                 State(this).position = value;
                 if (value == poScreenCenter && Window(this)->isVisible()) CenterOnScreen(Window(this));
               }),
      ClosesWithKeys([this] { return State(this).closesWithKeys; },
                     [this](const bool& value) { State(this).closesWithKeys = value; }),
      WindowState(
          [this] {
            const Qt::WindowStates state = Window(this)->windowState();
            return state & Qt::WindowMinimized ? wsMinimized : state & Qt::WindowMaximized ? wsMaximized : wsNormal;
          },
          [this](const TWindowState& value) {
            FormWidget* window = Window(this);
            window->NoteRestored();
            // A hidden window takes the state when it is shown.
            if (!window->isVisible()) {
              window->setWindowState(value == wsMinimized   ? Qt::WindowMinimized
                                     : value == wsMaximized ? Qt::WindowMaximized
                                                            : Qt::WindowNoState);
              return;
            }
            if (value == wsMinimized)
              window->showMinimized();
            else if (value == wsMaximized)
              window->showMaximized();
            else
              window->showNormal();
          }),
      Icon(new TIcon),
      Constraints(new TSizeConstraints([this] {
        State(this).minimum = QSize(Constraints->MinWidth, Constraints->MinHeight);
        if (!FixedSize(State(this).borderStyle)) Window(this)->setMinimumSize(State(this).minimum);
      })),
      RestoredLeft([this] { return RestoredGeometry(this).x(); }),
      RestoredTop([this] { return RestoredGeometry(this).y(); }),
      RestoredClientWidth([this] { return RestoredGeometry(this).width(); }),
      RestoredClientHeight([this] { return RestoredGeometry(this).height(); }),
      SystemMenu(new TMenuItem(nullptr)) {
  FormWidget* window = Window(this);
  window->onResize = [this] {
    CallGuarded(this, [this] {
      if (OnResize) OnResize(this);
    });
  };
  auto* systemMenuKey = new QAction(window);
  systemMenuKey->setShortcut(QKeySequence(Qt::ALT | Qt::Key_Space));
  systemMenuKey->setShortcutContext(Qt::WindowShortcut);
  QObject::connect(systemMenuKey, &QAction::triggered, [this] { ShowSystemMenu(); });
  window->addAction(systemMenuKey);
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
    window->onResize = nullptr;
  }
  delete SystemMenu;
  delete Constraints;
  delete Icon;
}

void TForm::Show() {
  Visible = true;
  // A window shown again from behind others comes to the front with the
  // keyboard, as a newly opened one does.
  FormWidget* window = Window(this);
  window->raise();
  window->activateWindow();
}

void TForm::MakeFullyVisible() {
  FormWidget* window = Window(this);
  const QRect frame(window->pos(), window->frameGeometry().size().expandedTo(window->size()));
  const QRect area = ScreenShowing(frame)->availableGeometry();
  const int left = std::max(area.left(), std::min(frame.left(), area.right() + 1 - frame.width()));
  const int top = std::max(area.top(), std::min(frame.top(), area.bottom() + 1 - frame.height()));
  if (QPoint(left, top) != frame.topLeft()) window->move(left, top);
}

void TForm::ShowSystemMenu() { PopUpSystemMenu(this, Window(this)); }

void TForm::Close() { Window(this)->close(); }

void TForm::Dispatch(TMessage& Message) {
  if (Message.Msg == WM_CLOSE) {
    Close();
    Message.Result = 0;
    return;
  }
  TWinControl::Dispatch(Message);
}
