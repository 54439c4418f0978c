#include "DialogLayout.h"

void MakeDialogForm(TForm* Form, const String& Caption, int ClientWidth) {
  Form->Caption = Caption;
  Form->AccessibleName = Caption;
  Form->BorderStyle = bsSingle;
  Form->BorderIcons = biSystemMenu;
  Form->Position = poScreenCenter;
  Form->ClosesWithKeys = true;
  Form->ClientWidth = ClientWidth;
}

DialogLayout::DialogLayout(TForm* Form, const String& Caption, int ClientWidth, int ClientHeight, int LabelWidth)
    : form_(Form), clientWidth_(ClientWidth), labelWidth_(LabelWidth) {
  MakeDialogForm(Form, Caption, ClientWidth);
  Form->ClientHeight = ClientHeight;
}

void DialogLayout::Label(TWinControl* Control, int Top, const String& Text) {
  TLabel* label = new TLabel(form_);
  label->Parent = form_;
  label->SetBounds(kMargin, Top + 4, labelWidth_, 20);
  label->Caption = Text;
  label->FocusControl = Control;
  Control->AccessibleName = Text;
}

TCheckBox* DialogLayout::CheckBox(int Top, const String& Caption) {
  TCheckBox* box = new TCheckBox(form_);
  box->Parent = form_;
  box->SetBounds(kMargin, Top, clientWidth_ - 2 * kMargin, 24);
  box->Caption = Caption;
  return Added(box);
}

TButton* DialogLayout::Button(int Left, int Top, int Width, const String& Caption) {
  TButton* button = new TButton(form_);
  button->Parent = form_;
  button->SetBounds(Left, Top, Width, 28);
  button->TabOrder = tab_++;
  button->Caption = Caption;
  return button;
}

void DialogLayout::AcceptOnEnter(std::function<void()> Accept) {
  const TKeyEvent keys = [Accept = std::move(Accept)](TObject*, unsigned short& Key, TShiftState) {
    if (Key != VK_RETURN) return;
    Key = 0;
    Accept();
  };
  for (TWinControl* field : fields_) field->OnKeyDown = keys;
}
