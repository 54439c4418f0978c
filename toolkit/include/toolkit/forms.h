// Forms (top-level windows) and the application object.
#pragma once

#include "toolkit/controls.h"
#include "toolkit/events.h"
#include "toolkit/exceptions.h"
#include "toolkit/graphics.h"
#include "toolkit/menus.h"

enum TFormBorderStyle { bsSizeable, bsSingle };
enum TBorderIcon { biSystemMenu = 1, biMinimize = 2, biMaximize = 4 };
using TBorderIcons = unsigned;  // TBorderIcon flags combined with |
enum TWindowState { wsNormal, wsMinimized, wsMaximized };
enum TPosition { poDesigned, poScreenCenter };

// The smallest client size the user may give a sizeable form; 0 for no
// limit.
class TSizeConstraints : public TObject {
 public:
  explicit TSizeConstraints(std::function<void()> changed);
  Property<int> MinWidth;
  Property<int> MinHeight;

 private:
  int minWidth_ = 0, minHeight_ = 0;
  std::function<void()> changed_;
};

// A top-level window. Left, Top, Width and Height are its position and
// outer size on the screen; ClientWidth and ClientHeight the area inside.
// bsSingle fixes the size; bsSizeable lets the user change it (down to
// Constraints) and, with biMaximize, maximise the window. poScreenCenter
// centres the window on the screen each time it is shown, and at once when
// set on a window shown.
// Closing (by the user or Close) raises OnClose with the action caHide;
// caNone keeps the window open. Closing the application's main form ends
// Run.
// Dispatch handles WM_CLOSE by closing.
//
// The system menu (Alt+Space) holds the window's own items, Restore,
// Minimise, Maximise and Close, as its border allows, then the items of
// SystemMenu. A desktop that keeps Alt+Space for its own window menu
// never passes the key on: a program offers the same items elsewhere too.
class TForm : public TWinControl {
 public:
  explicit TForm(TComponent* AOwner);
  ~TForm() override;

  Property<String> Caption;
  Property<int> ClientWidth;
  Property<int> ClientHeight;
  Property<TFormBorderStyle> BorderStyle;
  Property<TBorderIcons> BorderIcons;
  Property<TPosition> Position;
  // Escape and Ctrl+W close the window, as a tool window beside the main
  // one closes, when no control in it takes the key first.
  Property<bool> ClosesWithKeys;
  // Minimised, maximised or neither; setting it shows the window so (a
  // hidden window, when it is shown).
  Property<TWindowState> WindowState;
  TIcon* const Icon;
  TSizeConstraints* const Constraints;
  // Where the window goes back to from maximised or minimised: its outer
  // top-left corner and its client size (the present ones while it is
  // neither).
  ReadOnlyProperty<int> RestoredLeft;
  ReadOnlyProperty<int> RestoredTop;
  ReadOnlyProperty<int> RestoredClientWidth;
  ReadOnlyProperty<int> RestoredClientHeight;
  // Items after the window's own in its system menu; the form frees them.
  TMenuItem* const SystemMenu;

  TNotifyEvent OnCreate;
  TCloseEvent OnClose;
  // The client size changed: by the user, a maximise or restore, or the
  // program.
  TNotifyEvent OnResize;

  void Show();
  void Close();
  // Moves the window, as far as it fits, wholly onto the screen that shows
  // most of it, or onto the primary screen when none does (a remembered
  // place on a screen no longer there).
  void MakeFullyVisible();
  // Shows the system menu at the window's top left corner, as Alt+Space
  // does.
  void ShowSystemMenu();
  void Dispatch(TMessage& Message) override;
};

// The application: one object, `Application`. Initialize starts the
// toolkit (controls created earlier start it themselves); CreateForm
// constructs a form owned by the application, raises its OnCreate, and
// makes the first one the main form; Run shows the main form and runs the
// message loop until the main form closes or Terminate is called, then
// destroys the forms the application owns.
//
// Dialogs may be shown from any thread: they appear on the GUI thread while
// the caller waits. Before the toolkit has started they go to standard
// error and answer 0.
//
// An exception escaping an event handler (OnClick, OnTimer, OnClose,
// OnCreate, a message's Dispatch...) never passes through the toolkit: it is
// shown with ShowException and the loop carries on.
class TApplication : public TComponent {
 public:
  TApplication();
  ~TApplication() override;

  void Initialize();
  // Starts the toolkit for a run nobody watches (a script run from the
  // command line): on Qt's offscreen platform, so that no display is needed
  // and no window appears. Run then shows no form, dialogs are written to
  // standard error and answered with their default button, and Qt's own
  // warnings are not printed. Call it before anything starts the toolkit.
  void InitializeWithoutScreen();
  // The caption of the application's message boxes and error display.
  Property<String> Title;
  ReadOnlyProperty<TForm*> MainForm;
  ReadOnlyProperty<bool> Terminated;

  template <typename T>
  void CreateForm(T*& Reference) {
    Initialize();
    T* form = new T(this);
    Reference = form;
    FormCreated(form);
  }

  void Run();
  void Terminate();
  // Handles every event waiting in the queue, then returns.
  void ProcessMessages();

  // A modal message box; MB_* flags choose the buttons (OK, OK/Cancel,
  // Yes/No...), the icon and the default button. Returns the button's ID
  // (IDOK, IDCANCEL...).
  int MessageBox(const String& Text, const String& Caption, int Flags = MB_OK);

  // The standard error display: a message box captioned with Title whose
  // text is the message, with "." appended when the message is not empty
  // and its last character sorts after "."; stop icon, OK button.
  void ShowException(Exception* E);
  // Shows the exception being handled (call inside a catch block); anything
  // that is not an Exception shows as one with an empty message, a standard
  // library exception with its what() text.
  void HandleException(TObject* Sender);

 private:
  friend class ApplicationAccess;
  void FormCreated(TForm* form);
  TForm* mainForm_ = nullptr;
  bool terminated_ = false;
  String title_;
};

extern TApplication* Application;
