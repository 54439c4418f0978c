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
      SelStart(
          [this] {
            return LineEdit(this)->hasSelectedText() ? LineEdit(this)->selectionStart()
                                                     : LineEdit(this)->cursorPosition();
          },
          [this](const int& value) { LineEdit(this)->setCursorPosition(value); }) {
  QObject::connect(LineEdit(this), &QLineEdit::textChanged, [this] {
    CallGuarded(this, [this] {
      if (OnChange) OnChange(this);
    });
  });
}

void TEdit::Clear() { Text = String(); }
