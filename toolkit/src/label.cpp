// TLabel.
#include <QLabel>

#include "control_data.h"
#include "toolkit/std_controls.h"

namespace {

QLabel* NewLabel() {
  auto* label = new QLabel;
  label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  return label;
}

}  // namespace

TLabel::TLabel(TComponent* AOwner)
    : TGraphicControl(AOwner, NewControlData(NewLabel, QPalette::Window, clBtnFace)),
      Caption([this] { return String(ControlAccess::WidgetAs<QLabel>(this)->text().toStdString()); },
              [this](const String& value) {
                // Plain text: a caption is never read as markup.
                auto* label = ControlAccess::WidgetAs<QLabel>(this);
                label->setTextFormat(Qt::PlainText);
                label->setText(QString::fromUtf8(value.c_str()));
              }),
      Alignment(
          [this] {
            Qt::Alignment alignment = ControlAccess::WidgetAs<QLabel>(this)->alignment();
            if (alignment & Qt::AlignHCenter) return taCenter;
            if (alignment & Qt::AlignRight) return taRightJustify;
            return taLeftJustify;
          },
          [this](const TAlignment& value) {
            Qt::Alignment horizontal = value == taCenter         ? Qt::AlignHCenter
                                       : value == taRightJustify ? Qt::AlignRight
                                                                 : Qt::AlignLeft;
            ControlAccess::WidgetAs<QLabel>(this)->setAlignment(horizontal | Qt::AlignTop);
          }),
      // Qt's buddy forgets a destroyed widget; the control goes with it.
      FocusControl([this] { return ControlAccess::WidgetAs<QLabel>(this)->buddy() ? focusControl_ : nullptr; },
                   [this](TWinControl* const& value) {
                     focusControl_ = value;
                     ControlAccess::WidgetAs<QLabel>(this)->setBuddy(value ? ControlAccess::Widget(value) : nullptr);
                   }) {}
