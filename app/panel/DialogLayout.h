// The small dialogs the panels' features open (a network port, the session
// log, the quick sends): a fixed form centred on the screen with only a
// system menu, fields in rows with their labels to the left, check boxes
// and buttons, each next in the tab order as it is made. Enter in a field
// accepts the dialog; Escape (or Ctrl+W) closes it wherever the focus is. A
// label names its field for the keyboard (its accelerator) and for a
// screen reader.
#pragma once

#include <toolkit/toolkit.h>

#include <functional>
#include <vector>

// Makes Form such a dialog, of this width; its height and controls are the
// caller's (a form laid out otherwise than in labelled rows).
void MakeDialogForm(TForm* Form, const String& Caption, int ClientWidth);

class DialogLayout {
 public:
  // Makes Form the dialog Caption of this client size; fields are as wide as
  // the form leaves after their labels of LabelWidth.
  DialogLayout(TForm* Form, const String& Caption, int ClientWidth, int ClientHeight, int LabelWidth);

  template <typename T>
  T* Field(int Top, const String& LabelText) {
    T* control = new T(form_);
    control->Parent = form_;
    control->SetBounds(kMargin + labelWidth_, Top, clientWidth_ - 2 * kMargin - labelWidth_, 24);
    Label(control, Top, LabelText);
    return Added(control);
  }
  TCheckBox* CheckBox(int Top, const String& Caption);
  TButton* Button(int Left, int Top, int Width, const String& Caption);

  // Enter in any field or check box made so far calls Accept.
  void AcceptOnEnter(std::function<void()> Accept);

  static constexpr int kMargin = 8;

 private:
  void Label(TWinControl* Control, int Top, const String& Text);
  template <typename T>
  T* Added(T* Control) {
    Control->TabOrder = tab_++;
    fields_.push_back(Control);
    return Control;
  }

  TForm* const form_;
  const int clientWidth_;
  const int labelWidth_;
  int tab_ = 0;
  std::vector<TWinControl*> fields_;
};
