// TGroupBox.
#include <QGroupBox>

#include "control_data.h"
#include "toolkit/std_controls.h"

TGroupBox::TGroupBox(TComponent* AOwner)
    : TWinControl(AOwner, NewControlData([] { return new QGroupBox; }, QPalette::Window, clBtnFace)),
      Caption([this] { return String(ControlAccess::WidgetAs<QGroupBox>(this)->title().toStdString()); },
              [this](const String& value) {
                ControlAccess::WidgetAs<QGroupBox>(this)->setTitle(QString::fromUtf8(value.c_str()));
              }) {}
