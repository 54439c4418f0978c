// TImage: a picture in a label.
#include <QBitmap>
#include <QLabel>
#include <QPixmap>

#include "control_data.h"
#include "picture_data.h"
#include "toolkit/ext_controls.h"

namespace {

struct ImageOptions {
  bool transparent = false;
  bool stretch = false;
  bool center = false;
};

QLabel* NewImageLabel() {
  auto* label = new QLabel;
  label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  return label;
}

void ShowPicture(QLabel* label, const TPicture* picture, const ImageOptions& options) {
  QPixmap pixmap = ControlAccess::Picture(picture).pixmap;
  if (!pixmap.isNull() && options.transparent) {
    // The classic rule: the bottom-left pixel's colour is see-through.
    QImage image = pixmap.toImage();
    QColor key = image.pixelColor(0, image.height() - 1);
    pixmap.setMask(pixmap.createMaskFromColor(key, Qt::MaskInColor));
  }
  label->setScaledContents(options.stretch);
  label->setAlignment(options.center ? Qt::AlignCenter : Qt::AlignLeft | Qt::AlignTop);
  label->setPixmap(pixmap);
}

}  // namespace

TImage::TImage(TComponent* AOwner)
    : TGraphicControl(AOwner, NewControlData(NewImageLabel, QPalette::Window, clBtnFace)),
      Picture(new TPicture),
      Transparent([this] { return ControlAccess::WidgetAs<QLabel>(this)->property("transparent").toBool(); },
                  [this](const bool& value) {
                    ControlAccess::WidgetAs<QLabel>(this)->setProperty("transparent", value);
                    Picture->OnChange(Picture);
                  }),
      Stretch([this] { return ControlAccess::WidgetAs<QLabel>(this)->hasScaledContents(); },
              [this](const bool& value) {
                ControlAccess::WidgetAs<QLabel>(this)->setScaledContents(value);
                Picture->OnChange(Picture);
              }),
      Center([this] { return ControlAccess::WidgetAs<QLabel>(this)->property("center").toBool(); },
             [this](const bool& value) {
               ControlAccess::WidgetAs<QLabel>(this)->setProperty("center", value);
               Picture->OnChange(Picture);
             }) {
  Picture->OnChange = [this](TObject*) {
    auto* label = ControlAccess::WidgetAs<QLabel>(this);
    ImageOptions options{label->property("transparent").toBool(), label->hasScaledContents(),
                         label->property("center").toBool()};
    ShowPicture(label, Picture, options);
  };
}

TImage::~TImage() { delete Picture; }
