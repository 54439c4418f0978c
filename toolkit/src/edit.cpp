// TEdit.
#include <QLineEdit>

#include "ansi_limit_validator.h"
#include "control_data.h"
#include "event_guard.h"
#include "qt_text.h"
#include "toolkit/std_controls.h"

namespace {

QLineEdit* NewLineEdit() {
  auto* edit = new QLineEdit;
  auto* validator = new AnsiLimitValidator(edit);
  edit->setValidator(validator);
  QObject::connect(edit, &QLineEdit::textChanged, validator,
                   [validator](const QString& text) { validator->SetAcceptedText(text); });
  return edit;
}

QLineEdit* LineEdit(const TEdit* edit) { return ControlAccess::WidgetAs<QLineEdit>(edit); }

AnsiLimitValidator* Limiter(const TEdit* edit) {
  return static_cast<AnsiLimitValidator*>(const_cast<QValidator*>(LineEdit(edit)->validator()));
}

void SetTextUnchecked(const TEdit* edit, const QString& text) {
  Limiter(edit)->SetBypass(true);
  LineEdit(edit)->setText(text);
  Limiter(edit)->SetBypass(false);
}

}  // namespace

TEdit::TEdit(TComponent* AOwner)
    : TWinControl(AOwner, NewControlData(NewLineEdit, QPalette::Base, clWindow)),
      Text([this] { return FromQString(LineEdit(this)->text()); },
           [this](const String& value) { SetTextUnchecked(this, ToQString(value)); }),
      MaxLength([this] { return Limiter(this)->Limit(); },
                [this](const int& value) { Limiter(this)->SetLimit(std::max(0, value)); }),
      ReadOnly([this] { return LineEdit(this)->isReadOnly(); },
               [this](const bool& value) { LineEdit(this)->setReadOnly(value); }),
      SelStart(
          [this] {
            return LineEdit(this)->hasSelectedText() ? LineEdit(this)->selectionStart()
                                                     : LineEdit(this)->cursorPosition();
          },
          [this](const int& value) { LineEdit(this)->setCursorPosition(value); }),
      SelLength([this] { return static_cast<int>(LineEdit(this)->selectedText().size()); },
                [this](const int& value) {
                  QLineEdit* edit = LineEdit(this);
                  int start = edit->hasSelectedText() ? edit->selectionStart() : edit->cursorPosition();
                  edit->setSelection(start, std::max(0, value));
                }) {
  QObject::connect(LineEdit(this), &QLineEdit::textChanged, [this] {
    CallGuarded(this, [this] {
      if (OnChange) OnChange(this);
    });
  });
}

void TEdit::Clear() { Text = String(); }
