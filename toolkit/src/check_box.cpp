// TCheckBox.
#include <QCheckBox>

#include "control_data.h"
#include "event_guard.h"
#include "toolkit/std_controls.h"

TCheckBox::TCheckBox(TComponent* AOwner)
    : TWinControl(AOwner, NewControlData([] { return new QCheckBox; }, QPalette::Window, clBtnFace)),
      Caption([this] { return String(ControlAccess::WidgetAs<QCheckBox>(this)->text().toStdString()); },
              [this](const String& value) {
                ControlAccess::WidgetAs<QCheckBox>(this)->setText(QString::fromUtf8(value.c_str()));
              }),
      Checked([this] { return ControlAccess::WidgetAs<QCheckBox>(this)->isChecked(); },
              [this](const bool& value) { ControlAccess::WidgetAs<QCheckBox>(this)->setChecked(value); }) {
  // clicked is raised by the user only, not by setChecked.
  QObject::connect(ControlAccess::WidgetAs<QCheckBox>(this), &QCheckBox::clicked, [this] {
    CallGuarded(this, [this] {
      if (OnClick) OnClick(this);
    });
  });
}
