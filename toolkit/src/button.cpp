// TButton.
#include <QPushButton>

#include "control_data.h"
#include "event_guard.h"
#include "toolkit/std_controls.h"

TButton::TButton(TComponent* AOwner)
    : TWinControl(AOwner, NewControlData([] { return new QPushButton; }, QPalette::Button, clBtnFace)),
      Caption([this] { return String(ControlAccess::WidgetAs<QPushButton>(this)->text().toStdString()); },
              [this](const String& value) {
                ControlAccess::WidgetAs<QPushButton>(this)->setText(QString::fromUtf8(value.c_str()));
              }) {
  QObject::connect(ControlAccess::WidgetAs<QPushButton>(this), &QPushButton::clicked,
                   [this] { CallGuarded(this, [this] { Click(); }); });
}

void TButton::Click() {
  if (OnClick) OnClick(this);
}
