// A small find box that lies over a log view without blocking the window:
// the text or expression to find, match case, regular expression, hex
// bytes, previous/next and the number of matches. It searches as the text
// is typed; Enter and F3 go to the next match, Shift+Enter and Shift+F3 to
// the previous one, Escape closes it. Over much text the view counts on a
// thread of its own: the box says how far it came, and each key starts the
// search again; the window answers meanwhile.
#pragma once

#include "toolkit/controls.h"
#include "toolkit/events.h"
#include "toolkit/log_view.h"

class TFindBox : public TWinControl {
 public:
  explicit TFindBox(TComponent* AOwner);
  ~TFindBox() override;

  // Shows the box over the top right corner of View (in View's parent),
  // searching View, with the focus in its text.
  void ShowFor(TLogView* View);
  // Hides the box and ends the search (the view's marks go).
  void Close();

  Property<String> Text;
  Property<bool> MatchCase;
  Property<bool> Regex;
  // The text is hex bytes; the other two boxes do not apply then.
  Property<bool> Hex;
  // What the box says of the search: the match's number and how many there
  // are, how far the count came while it runs, that it took too long and
  // stopped, or that the expression is not valid.
  String Status() const;

  // Goes to the next (previous) match and says so.
  void FindNext(bool Backward = false);

  // Runs after the box closed (by Escape, its button or Close).
  TNotifyEvent OnClose;

 private:
  void Search();
  void ShowStatus();
  // Typing goes to the first match from the top of what is shown, once
  // one is found.
  void GoToFirst();

  TLogView* view_ = nullptr;
  long long count_ = 0;  // matches; -1 for a text that is not valid
  bool goToFirst_ = false;
};
