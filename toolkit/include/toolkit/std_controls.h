// The standard controls: group box, label, memo, edit, button, combo box
// and check box.
#pragma once

#include <string_view>

#include "toolkit/controls.h"
#include "toolkit/events.h"
#include "toolkit/string_lists.h"

class TGroupBox : public TWinControl {
 public:
  explicit TGroupBox(TComponent* AOwner);
  Property<String> Caption;
};

class TLabel : public TGraphicControl {
 public:
  explicit TLabel(TComponent* AOwner);
  Property<String> Caption;
  Property<TAlignment> Alignment;
  // The control the label names: a screen reader speaks the caption for it
  // (unless it has its own AccessibleName). Reads null once that control is
  // destroyed.
  Property<TWinControl*> FocusControl;

 private:
  TWinControl* focusControl_ = nullptr;
};

enum TScrollStyle { ssNone, ssVertical };

// A multi-line text. Text uses CR LF line breaks both ways: the setter turns
// every lone CR or LF into CR LF. SelStart counts characters with each line
// break as two, as in Text.
// Messages: WM_KEYDOWN with VK_NEXT / VK_PRIOR scrolls (and moves the caret)
// one page down / up per repeat (the low word of LParam, at least 1);
// EM_SCROLLCARET brings the caret into view.
// ReadOnly: the user cannot change the text by any means (typing, pasting,
// cutting, deleting, undo, assistive technology); the caret, selection,
// copy, find, the context menu's copy and select all, focus and Tab work as
// before. The program still sets and appends text; nothing is kept to undo.
class TMemo : public TWinControl {
 public:
  explicit TMemo(TComponent* AOwner);
  ~TMemo() override;

  Property<String> Text;
  Property<bool> ReadOnly;
  // The lines of the text (without their breaks). Count leaves out the
  // empty line after a final line break.
  TStrings* const Lines;
  Property<TScrollStyle> ScrollBars;
  Property<int> SelStart;
  TNotifyEvent OnChange;

  void Clear();
  // Adds text at the end, its line breaks as the Text setter treats them,
  // without rebuilding the text before it. A caret at the end stays there.
  void Append(const String& Text);
  // The same for UTF-16 text, which the widget takes as it stands: no
  // conversion, no copy before its own.
  void Append(std::u16string_view Text);
  // Clear and Append as one edit: the text is laid out once, not emptied
  // and laid out again. What could be undone before is forgotten, as by
  // Clear.
  void Replace(std::u16string_view Text);
  void Dispatch(TMessage& Message) override;
};

// A single-line text. MaxLength limits what the user types or pastes, in
// bytes of the ANSI code page (a Chinese character takes two); 0 means no
// limit. A paste that does not fit is cut at the limit. Text set by the
// program is not limited.
class TEdit : public TWinControl {
 public:
  explicit TEdit(TComponent* AOwner);

  Property<String> Text;
  Property<int> MaxLength;
  Property<int> SelStart;
  TNotifyEvent OnChange;

  void Clear();
};

class TButton : public TWinControl {
 public:
  explicit TButton(TComponent* AOwner);

  Property<String> Caption;
  TNotifyEvent OnClick;

  // Runs OnClick as a press does (exceptions reach the caller).
  void Click();
};

enum TComboBoxStyle { csDropDown, csSimple, csDropDownList };

// A combo box. csDropDown (the default) has an edit for typed text.
// ItemIndex is -1 when no item is selected; setting an index that does not
// exist (or -1) selects nothing and empties the edit. Adding items leaves
// the selection and the edit's text alone; clearing the items empties the
// edit as well.
class TComboBox : public TWinControl {
 public:
  explicit TComboBox(TComponent* AOwner);
  ~TComboBox() override;

  Property<TComboBoxStyle> Style;
  Property<String> Text;
  TStrings* const Items;
  Property<int> ItemIndex;
  Property<int> ItemHeight;
  TNotifyEvent OnChange;

  void Clear();

  // A tool tip of one item, shown over it in the drop-down list. While the
  // box's own Hint is empty, the box shows the hint of the item its text
  // names. An index out of range raises EStringListError.
  String ItemHint(int Index) const;
  void SetItemHint(int Index, const String& Hint);

 private:
  // The box's tool tip follows its text, unless it has a Hint of its own.
  void ShowItemHintOfText();

  int itemHeight_ = 16;
};

class TCheckBox : public TWinControl {
 public:
  explicit TCheckBox(TComponent* AOwner);

  Property<String> Caption;
  Property<bool> Checked;
  // Raised when the user toggles the box (not when Checked is set).
  TNotifyEvent OnClick;
};
